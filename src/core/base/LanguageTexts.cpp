#include "core/base/LanguageTexts.h"

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

    FailureTexts &f = texts.failure;
    f.start = QStringLiteral("进入编程");
    f.identificationRead = QStringLiteral("读取机型标识");
    f.bandRead = QStringLiteral("读取频段");
    f.informationRead = QStringLiteral("读取本机信息");
    f.channelRead = QStringLiteral("读取信道 %1");
    f.functionBlockRead = QStringLiteral("读取功能块 %1");
    f.channelWrite = QStringLiteral("写入信道 %1");
    f.functionBlockWrite = QStringLiteral("写入功能块 %1");
    f.informationWrite = QStringLiteral("写入本机信息");
    f.noHandshake = QStringLiteral("握手无应答：端口上没有对讲机，或对讲机未开机");
    f.notAcknowledged = QStringLiteral("对讲机没有确认进入编程");
    f.unknownModel = QStringLiteral("对讲机的机型标识 %1 不属于已知机型");
    f.bandNotListed = QStringLiteral("对讲机的频段 %1 不在频段列表中");
    f.noBand = QStringLiteral("对讲机没有频段（%1），没有写入任何内容");
    f.busy = QStringLiteral("对讲机对“%2”连续 %1 次回答忙");
    f.busyOrBadCheck = QStringLiteral("对讲机对“%2”连续 %1 次回答忙或校验字节错误");
    f.noValidAnswer = QStringLiteral("“%1”没有收到有效应答");
    f.notAccepted = QStringLiteral("对讲机没有接受“%1”");
    f.stopped = QStringLiteral("通信在完成前按要求停止");
    f.disconnected = QStringLiteral("与对讲机的连接中断：设备 %1 已断开");
    texts.heldByText = QStringLiteral("已被 %1 (%2) 占用");
    texts.heldByProcessText = QStringLiteral("已被进程 %1 占用");
    f.mismatch = QStringLiteral("已写入，但对讲机中的内容与写入的不同：%1");
    f.backupFailed = QStringLiteral("写频前的备份读取失败，未写入任何内容：%1");
    texts.safeWriteText = QStringLiteral("写频前备份，写频后校验");
    texts.backupPhaseText = QStringLiteral("正在备份对讲机");
    texts.writePhaseText = QStringLiteral("正在写频");
    texts.verifyPhaseText = QStringLiteral("正在校验写入的内容");
    texts.backupSavedText = QStringLiteral("备份已保存：%1");
    f.lastAnswer = QStringLiteral("；最后的应答：%1");
    f.answerNothing = QStringLiteral("无");
    f.answerAcknowledge = QStringLiteral("确认");
    f.answerBusy = QStringLiteral("忙");
    f.answerHandshake = QStringLiteral("握手应答");
    f.answerRead = QStringLiteral("读取应答");
    f.answerWrongCheck = QStringLiteral("校验字节错误");
    f.answerTooShort = QStringLiteral("应答过短");
    f.answerUnexpected = QStringLiteral("无法识别的应答");
    texts.traceItemText = QStringLiteral("记录通信过程");
    texts.traceFileText = QStringLiteral("通信记录：%1");
    texts.traceFailedText = QStringLiteral("无法写入通信记录 %1：%2");
    texts.importItemText = QStringLiteral("导入 CSV...");
    texts.exportItemText = QStringLiteral("导出 CSV...");
    texts.importCaption = QStringLiteral("导入 CSV");
    texts.importCountText =
        QStringLiteral("要从 %2 导入的信道：%1 个。它们将替换信道表中的全部信道。");
    texts.importProblemsText = QStringLiteral("发现的问题：%1 个");
    texts.importNothingText = QStringLiteral("%1 中没有可以导入的行，信道保持不变。");
    LanguageTexts::CsvTexts &c = texts.csv;
    c.line = QStringLiteral("第 %1 行：%2");
    c.notAFrequency = QStringLiteral("%1 列的“%2”不是以 MHz 为单位的频率");
    c.outsideBand = QStringLiteral("%1 MHz 不在频段 %2 内");
    c.offStep = QStringLiteral("%1 MHz 不在 5 kHz 或 6.25 kHz 的步进上");
    c.unknownTone = QStringLiteral("%1 列的“%2”不在亚音列表中");
    c.noEquivalent = QStringLiteral("%1 列的“%2”在本机中没有对应的设置");
    c.notUnderstood = QStringLiteral("无法识别 %1 列的“%2”");
    c.tooManyChannels = QStringLiteral("超过 %1 个信道");
    c.rowLeftOut = QStringLiteral("，该行未导入");
    c.toneOff = QStringLiteral("，已导入，此亚音设为禁用");
    texts.fleetItemText = QStringLiteral("批量写频…");
    texts.fleetCaption = QStringLiteral("批量写频");
    texts.fleetWaitingText = QStringLiteral("等待第 %1 台对讲机：请连接并开机");
    texts.fleetWritingText = QStringLiteral("正在写入第 %1 台对讲机…");
    texts.fleetUnplugText = QStringLiteral("第 %1 台对讲机已完成：请拔下");
    texts.fleetCountText = QStringLiteral("已完成：%1 台（成功 %2 台，失败 %3 台）");
    texts.fleetStopText = QStringLiteral("停止");
    texts.fleetCloseText = QStringLiteral("关闭");
    texts.fleetStoppedText = QStringLiteral("已停止");
    texts.fleetLogText = QStringLiteral("记录：%1");
    texts.fleetVerifiedText = QStringLiteral("已校验");
    texts.fleetWrittenText = QStringLiteral("已写入");
    texts.fleetFailedText = QStringLiteral("失败：%1");
    texts.fastTransferText = QStringLiteral("快速传输");
    return texts;
}
