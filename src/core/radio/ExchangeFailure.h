#pragma once

#include "core/base/LanguageTexts.h"

#include <QString>

#include <utility>

// Why an exchange ended as failed, kept in its parts so that each front end
// words it in its own language: the command-line tool in English, the
// read/write dialog in the interface language.
struct ExchangeFailure {
    enum class Reason {
        None,            // no failure
        NoHandshake,     // no radio answered the handshake
        NotAcknowledged, // the start of programming was not acknowledged
        UnknownModel,    // detail: the identification
        BandNotListed,   // detail: the radio's band
        NoBand,          // detail: the band text of a radio without a band
        Busy,            // count busy answers in a row to the step
        BusyOrBadCheck,  // count busy answers or bad check bytes in a row to the step
        NoValidAnswer,   // to the step
        NotAccepted,     // the step
        Stopped,         // on request
        Disconnected,    // detail: the device
        Mismatch, // detail: the blocks that differ, one "name: sent …, radio holds …" each
        Other,    // detail: the whole text, in English
    };

    // A step of the exchange; number is the channel or function block.
    struct Step {
        enum Kind {
            None,
            Start,
            IdentificationRead,
            BandRead,
            InformationRead,
            ChannelRead,
            FunctionBlockRead,
            ChannelWrite,
            FunctionBlockWrite,
            InformationWrite,
        };
        Step(Kind kind = None, int number = 0) : kind(kind), number(number) {}
        Kind kind;
        int number;
    };

    ExchangeFailure() = default;
    // A reason about no step, with the text it names (Other: its whole text).
    ExchangeFailure(Reason reason, QString detail = QString())
        : reason(reason), detail(std::move(detail))
    {
    }
    // A reason about a step; count is the answers in a row.
    ExchangeFailure(Reason reason, Step step, int count = 0)
        : reason(reason), step(step), count(count)
    {
    }

    Reason reason = Reason::None;
    Step step;
    int count = 0;
    QString detail;
    // What the radio answered last to the step (hex, empty for nothing),
    // for the failures about an answer; the text then ends with it.
    bool hasAnswer = false;
    QString answer;

    ExchangeFailure withAnswer(const QString &answerHex) const
    {
        ExchangeFailure failure = *this;
        failure.hasAnswer = true;
        failure.answer = answerHex;
        return failure;
    }

    // The failure in the language of the texts; empty for no failure.
    QString text(const LanguageTexts::FailureTexts &texts) const;
    QString english() const { return text(englishTexts()); }
    static const LanguageTexts::FailureTexts &englishTexts();

private:
    QString reasonText(const LanguageTexts::FailureTexts &texts) const;
};
