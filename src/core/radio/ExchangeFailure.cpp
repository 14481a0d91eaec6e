#include "core/radio/ExchangeFailure.h"

#include "core/radio/LinkTrace.h"

namespace
{

QString stepText(const ExchangeFailure::Step &step, const LanguageTexts::FailureTexts &t)
{
    using Step = ExchangeFailure::Step;
    const QString number = QString::number(step.number);
    switch (step.kind) {
    case Step::None:
        break;
    case Step::Start:
        return t.start;
    case Step::IdentificationRead:
        return t.identificationRead;
    case Step::BandRead:
        return t.bandRead;
    case Step::InformationRead:
        return t.informationRead;
    case Step::ChannelRead:
        return t.channelRead.arg(number);
    case Step::FunctionBlockRead:
        return t.functionBlockRead.arg(number);
    case Step::ChannelWrite:
        return t.channelWrite.arg(number);
    case Step::FunctionBlockWrite:
        return t.functionBlockWrite.arg(number);
    case Step::InformationWrite:
        return t.informationWrite;
    }
    return QString();
}

// "09 00 09 (busy)", or the word for no answer.
QString answerText(const QString &answerHex, const LanguageTexts::FailureTexts &t)
{
    using Answer = LinkTrace::Answer;
    const Answer kind = LinkTrace::classify(answerHex);
    if (kind == Answer::Nothing)
        return t.answerNothing;
    const QString &word = kind == Answer::Acknowledge  ? t.answerAcknowledge
                          : kind == Answer::Busy       ? t.answerBusy
                          : kind == Answer::Handshake  ? t.answerHandshake
                          : kind == Answer::Read       ? t.answerRead
                          : kind == Answer::WrongCheck ? t.answerWrongCheck
                          : kind == Answer::TooShort   ? t.answerTooShort
                                                       : t.answerUnexpected;
    // A long answer is cut after the bytes of a read answer.
    constexpr int shownBytes = 21;
    QString bytes = LinkTrace::spacedHex(answerHex.left(2 * shownBytes));
    if (answerHex.size() > 2 * shownBytes)
        bytes += QStringLiteral(" …");
    return QStringLiteral("%1 (%2)").arg(bytes, word);
}

LanguageTexts::FailureTexts makeEnglishTexts()
{
    LanguageTexts::FailureTexts f;
    f.start = QStringLiteral("the start of programming");
    f.identificationRead = QStringLiteral("the identification read");
    f.bandRead = QStringLiteral("the band read");
    f.informationRead = QStringLiteral("the information read");
    f.channelRead = QStringLiteral("the read of channel %1");
    f.functionBlockRead = QStringLiteral("the read of function block %1");
    f.channelWrite = QStringLiteral("the write of channel %1");
    f.functionBlockWrite = QStringLiteral("the write of function block %1");
    f.informationWrite = QStringLiteral("the write of the information block");
    f.noHandshake = QStringLiteral(
        "no answer to the handshake: no radio on the port, or the radio is not switched on");
    f.notAcknowledged = QStringLiteral("the radio did not acknowledge the start of programming");
    f.unknownModel = QStringLiteral("the radio's identification %1 is not one of a known model");
    f.bandNotListed = QStringLiteral("the radio's band %1 is not in the band list");
    f.noBand = QStringLiteral("the radio has no band (%1); nothing was written");
    f.busy = QStringLiteral("the radio answered busy %1 times in a row to %2");
    f.busyOrBadCheck =
        QStringLiteral("the radio answered busy or with a bad check byte %1 times in a row to %2");
    f.noValidAnswer = QStringLiteral("no valid answer to %1");
    f.notAccepted = QStringLiteral("the radio did not accept %1");
    f.stopped = QStringLiteral("stopped on request before the exchange was complete");
    f.disconnected =
        QStringLiteral("lost the connection to the radio: the device %1 was disconnected");
    f.mismatch = QStringLiteral("written, but the radio holds something else: %1");
    f.backupFailed = QStringLiteral("the backup read before the write failed, nothing was "
                                    "written: %1");
    f.lastAnswer = QStringLiteral("; last answer: %1");
    f.answerNothing = QStringLiteral("none");
    f.answerAcknowledge = QStringLiteral("acknowledge");
    f.answerBusy = QStringLiteral("busy");
    f.answerHandshake = QStringLiteral("handshake answer");
    f.answerRead = QStringLiteral("read answer");
    f.answerWrongCheck = QStringLiteral("wrong check byte");
    f.answerTooShort = QStringLiteral("too short");
    f.answerUnexpected = QStringLiteral("unexpected answer");
    return f;
}

} // namespace

QString ExchangeFailure::text(const LanguageTexts::FailureTexts &t) const
{
    const QString text = reasonText(t);
    if (!hasAnswer || text.isEmpty())
        return text;
    return text + t.lastAnswer.arg(answerText(answer, t));
}

QString ExchangeFailure::reasonText(const LanguageTexts::FailureTexts &t) const
{
    const QString count = QString::number(this->count);
    switch (reason) {
    case Reason::None:
        break;
    case Reason::NoHandshake:
        return t.noHandshake;
    case Reason::NotAcknowledged:
        return t.notAcknowledged;
    case Reason::UnknownModel:
        return t.unknownModel.arg(detail);
    case Reason::BandNotListed:
        return t.bandNotListed.arg(detail);
    case Reason::NoBand:
        return t.noBand.arg(detail);
    case Reason::Busy:
        // Both arguments in one pass: a "%1" in the step's text stays as it is.
        return t.busy.arg(count, stepText(step, t));
    case Reason::BusyOrBadCheck:
        return t.busyOrBadCheck.arg(count, stepText(step, t));
    case Reason::NoValidAnswer:
        return t.noValidAnswer.arg(stepText(step, t));
    case Reason::NotAccepted:
        return t.notAccepted.arg(stepText(step, t));
    case Reason::Stopped:
        return t.stopped;
    case Reason::Disconnected:
        return t.disconnected.arg(detail);
    case Reason::Mismatch:
        return t.mismatch.arg(detail);
    case Reason::Other:
        return detail;
    }
    return QString();
}

const LanguageTexts::FailureTexts &ExchangeFailure::englishTexts()
{
    static const LanguageTexts::FailureTexts texts = makeEnglishTexts();
    return texts;
}
