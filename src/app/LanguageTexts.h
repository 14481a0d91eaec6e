#pragma once

#include <QString>

// The program-wide texts that follow the interface language: the eight words
// the channel cells hold and the message texts of the program's own boxes.
// A workspace starts with the built-in simplified Chinese texts, so that
// cells and message boxes are never empty when no language file was found.
struct LanguageTexts {
    // The simplified Chinese texts built into the program.
    static LanguageTexts builtIn();

    QString offWord;       // tones off, options off, no voice privacy
    QString onWord;        // options on
    QString highWord;      // high power
    QString lowWord;       // low power
    QString wideWord;      // wide bandwidth
    QString narrowWord;    // narrow bandwidth
    QString companderWord; // voice privacy: compander
    QString scramblerWord; // voice privacy: scrambler

    QString warningCaption;     // caption of the port-error and exchange-failure boxes
    QString portErrorText;      // the port cannot be opened for a read or write
    QString exchangeFailedText; // a read or write exchange failed
    QString newCaption;         // caption of the New confirmation
    QString newPromptText;      // text of the New confirmation
    QString writeRefusedText;   // a write refused: the cells listed after it cannot be written
    QString demoText;           // status line in demo mode: port 1 is a virtual radio
    QString heldByText;         // a port held by another program: %1 its name, %2 its process id
    QString heldByProcessText;  // a port held by a process without a name: %1 its process id
};
