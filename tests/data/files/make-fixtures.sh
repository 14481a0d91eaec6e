#!/bin/sh
# Writes the channel-file fixtures from the UTF-8 text below: every line gets
# CR LF, and iconv (not the program) turns the text into GBK; utf8.q42 keeps
# the text as it is.
set -eu
cd "$(dirname "$0")"

gbk() { sed 's/$/\r/' | iconv -f UTF-8 -t GBK > "$1"; }
utf8() { sed 's/$/\r/' > "$1"; }

# The first 26 lines of a file saved after New with model PW-100 and band
# 400-470MHz, the lists holding their built-in texts.
new_settings() {
    cat <<'TEXT'
VESQAR MEMORY CHANNEL


TYPE0 PW-100
BAND 400-470MHz
APO 0 OFF
Squelch 2 2
beep 1 中文男声
scankind 1 TO
TOT 3 3分钟
Step 4 25KHz
Open Beep 1
TX Over 0
Bat Beep 1
Save 1
VoxSQL 2 3
VoxDelay 2 3S
VoxRX 1
Key Time 15
Long Key0 1 暂态静噪
Short Key0 5 SCAN
Long Key1 1 暂态静噪
Short Key1 5 SCAN
Long Key2 1 暂态静噪
Short Key2 5 SCAN
volue leve 8 9
TEXT
}

empty_channel() { printf 'CH%s |  |  |  |  |  |  |  |  |  |  |  | \n' "$1"; }

# example.q42: New, then Save: the 26 lines above and 16 empty channels.
{
    new_settings
    for row in 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16; do empty_channel $row; done
} | gbk example.q42

# full.q42: model R5, a band the band list does not hold, every setting away
# from its default (APO 12), key time 2 s, and three channels: simplified
# Chinese words, an in-use channel without transmit frequency in traditional
# Chinese words, and "東", whose second GBK byte is the code of "|".
full_text() {
    cat <<'TEXT'
VESQAR MEMORY CHANNEL


TYPE1 R5
BAND 136-174MHz
APO 12 12
Squelch 7 7
beep 2 英文男声
scankind 0 CO
TOT 6 6分钟
Step 1 6.25KHz
Open Beep 0
TX Over 1
Bat Beep 0
Save 0
VoxSQL 7 8
VoxDelay 0 1S
VoxRX 0
Key Time 20
Long Key0 7 高低功率
Short Key0 1 暂态静噪(无长键)
Long Key1 3 监听
Short Key1 6 VOX
Long Key2 0 关
Short Key2 2 静噪
volue leve 3 4
CH01 | 145.50000 | 67.0 | 145.50000 | D023N | 高功率 | 宽带 | 启用 | 禁用 | 启用 | 禁用 | 禁用 | 
TEXT
    empty_channel 02
    echo 'CH03 | 150.02500 | 禁用 | 155.02500 | D754I | 低功率 | 窄带 | 禁用 | 启用 | 禁用 | 扰频 | 启用 | '
    for row in 04 05 06 07 08 09 10 11 12 13 14 15; do empty_channel $row; done
    echo 'CH16 | 173.99375 | 254.1 |  | 禁用 | 高功率 | 寬帶 | 啟用 | 禁用 | 啟用 | 壓擴 | 東 | '
}
full_text | gbk full.q42

# utf8.q42: full.q42 as a modern editor saves it, in UTF-8.
full_text | utf8 utf8.q42

# fewrows.q42: the settings of example.q42 and only three channel lines, the
# first labelled CH09, the third cut off after its third cell.
{
    new_settings
    echo 'CH09 | 438.50000 | 禁用 | 438.50000 | 禁用 | 高功率 | 宽带 | 启用 | 禁用 | 启用 | 禁用 | 禁用 | '
    empty_channel 02
    echo 'CH03 | 440.00000 | 67.0 | 441.00000'
} | gbk fewrows.q42
