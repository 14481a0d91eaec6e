#include "app/LanguageTexts.h"

LanguageTexts LanguageTexts::builtIn()
{
    LanguageTexts texts;
    texts.offWord = QStringLiteral("禁用");
    texts.onWord = QStringLiteral("启用");
    texts.highWord = QStringLiteral("高功率");
    texts.lowWord = QStringLiteral("低功率");
    texts.wideWord = QStringLiteral("宽带");
    texts.narrowWord = QStringLiteral("窄带");
    texts.companderWord = QStringLiteral("压扩");
    texts.scramblerWord = QStringLiteral("扰频");
    texts.warningCaption = QStringLiteral("警告");
    texts.portErrorText = QStringLiteral(
        "无法打开通信端口。请检查编程线是否已连接好，并在“工具 → 通信端口”中选择正确的端口。");
    texts.exchangeFailedText = QStringLiteral("与对讲机通信失败。请确认对讲机已开机、编程线已插好，"
                                              "并检查通信端口和“单口”设置是否正确，然后重试。");
    texts.newCaption = QStringLiteral("新建");
    texts.newPromptText =
        QStringLiteral("这将把全部信道和功能设置恢复为默认值，未保存的修改将会丢失。是否继续？");
    texts.writeRefusedText = QStringLiteral("以下内容无法写入对讲机，请先修改后再写频：");
    texts.demoText = QStringLiteral("演示模式：端口 1 连接的是虚拟对讲机");
    texts.heldByText = QStringLiteral("已被 %1 (%2) 占用");
    texts.heldByProcessText = QStringLiteral("已被进程 %1 占用");
    return texts;
}
