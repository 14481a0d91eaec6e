#!/bin/sh
# Writes the CSV channel-list fixtures byte by byte with printf, as other
# programs write such lists: CHIRP itself (full header, CR LF), a spreadsheet
# (byte-order mark, every field quoted, the older header with columns of its
# own), and a list typed by hand with LF line ends. The program's own exporter
# plays no part.
set -eu
cd "$(dirname "$0")"

full='Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE'

# modes.csv: every tone mode and cross mode, and every duplex, as CHIRP
# exports them (CR LF; the unused tone columns hold the usual values).
{
    printf '%s\r\n' "$full"
    printf '%s\r\n' \
        '0,None,462.562500,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,12.50,,High,,,,,' \
        '1,Tone,462.550000,+,5.000000,Tone,141.3,88.5,023,NN,023,Tone->Tone,FM,12.50,,High,,,,,' \
        '2,TSQL,446.006250,,0.000000,TSQL,88.5,100.0,023,NN,023,Tone->Tone,NFM,6.25,S,Low,,,,,' \
        '3,DTCS,446.018750,,0.000000,DTCS,88.5,88.5,754,NR,023,Tone->Tone,NFM,6.25,,1.0W,,,,,' \
        '4,T-T,440.000000,,0.000000,Cross,67.0,254.1,023,NN,023,Tone->Tone,FM,5.00,,5.0W,,,,,' \
        '5,T-D,440.025000,,0.000000,Cross,67.0,88.5,023,NR,023,Tone->DTCS,FM,5.00,,High,,,,,' \
        '6,D-T,440.050000,,0.000000,Cross,88.5,77.0,411,RN,023,DTCS->Tone,FM,5.00,,High,,,,,' \
        '7,D-,440.075000,,0.000000,Cross,88.5,88.5,532,NN,023,DTCS->,FM,5.00,,High,,,,,' \
        '8,-D,440.100000,,0.000000,Cross,88.5,88.5,023,NR,047,->DTCS,FM,5.00,,High,,,,,' \
        '9,-T,440.125000,,0.000000,Cross,88.5,110.9,023,NN,023,->Tone,FM,5.00,,High,,,,,' \
        '10,T-,440.150000,,0.000000,Cross,123.0,88.5,023,NN,023,Tone->,FM,5.00,,High,,,,,' \
        '11,D-D,440.175000,,0.000000,Cross,88.5,88.5,025,RN,026,DTCS->DTCS,FM,5.00,,High,,,,,' \
        '12,Split,433.000000,split,438.500000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '13,RX only,440.200000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '14,Minus,450.000000,-,5.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '15,Priority,451.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,P,Mid,,,,,'
} > modes.csv

# spreadsheet.csv: saved by a spreadsheet from an older list: a byte-order
# mark, CR LF, every field quoted, the 17 columns of older lists (no
# RxDtcsCode, CrossMode or Power) after a column of its own and before
# another; a comment with a comma and quotes, and one that runs over two
# lines, so that the row after it starts on line 5.
{
    printf '\357\273\277'
    printf '"Bank","Location","Name","Frequency","Duplex","Offset","Tone","rToneFreq","cToneFreq","DtcsCode","DtcsPolarity","Mode","TStep","Skip","Comment","URCALL","RPT1CALL","RPT2CALL","Notes"\r\n'
    printf '"A","0","Site, north","438.500000","","0.000000","TSQL","88.5","151.4","023","NN","FM","12.50","","Net ""night"", Tuesdays","","","","ok"\r\n'
    printf '"A","1","Repeater","438.500000","-","7.600000","Tone","123.0","88.5","023","NN","NFM","12.50","S","line one\r\nline two","","","",""\r\n'
    printf '"B","2","DCS","440.125000","","0.000000","DTCS","88.5","88.5","023","RN","NFM","6.25","","","","","","x"\r\n'
    printf '"B","3","2 m","146.520000","","0.000000","","88.5","88.5","023","NN","FM","5.00","","calling","","","",""\r\n'
} > spreadsheet.csv

# problems.csv: typed by hand with LF line ends: a row for each problem, the
# good rows of channels 1 to 16 among them, then one good row too many.
{
    printf '%s\n' "$full"
    printf '%s\n' \
        '1,Good,462.125000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,High,,,,,' \
        '2,VHF,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '3,Off step,462.127000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '4,Typo,462.12S,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '5,AM,440.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,,High,,,,,' \
        '6,Rev tone,440.000000,,0.000000,TSQL-R,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '7,Rev code,440.000000,,0.000000,DTCS-R,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '8,Odd tone,440.000000,,0.000000,Tone,69.4,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '9,Odd code,440.000000,,0.000000,DTCS,88.5,88.5,752,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '10,Odd rx,440.000000,,0.000000,Cross,67.0,300.0,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '11,Power,440.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,Ultra,,,,,' \
        '12,Skip,440.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,X,High,,,,,' \
        '13,Far shift,465.000000,+,10.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,' \
        ',,,,,,,,,,,,,,,,,,,,' \
        '15,Cross,440.000000,,0.000000,Cross,88.5,88.5,023,NN,023,Tone->Both,FM,5.00,,High,,,,,' \
        '16,Polarity,440.000000,,0.000000,DTCS,88.5,88.5,023,NX,023,Tone->Tone,FM,5.00,,High,,,,,' \
        '17,Duplex,440.000000,x,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,'
    for n in 6 7 8 9 10 11 12 13 14 15 16 17; do
        printf '%s,Ch %s,441.%03d000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,\n' \
            $((n + 12)) "$n" $((n * 25))
    done
    printf '%s\n' '30,Also VHF,145.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,'
} > problems.csv
