#pragma once

#include <QString>

// The program-wide texts that follow the interface language: the eight words
// the channel cells hold and the message texts of the program's own boxes.
// A workspace starts with the built-in simplified Chinese texts, so that
// cells and message boxes are never empty when no language file was found.
struct LanguageTexts {
    // Why a read or write exchange failed: a reason, often about a step of
    // the exchange, which is named by a phrase of its own.
    struct FailureTexts {
        // The steps; %1 is the channel or function block number.
        QString start;              // the start of programming
        QString identificationRead; // the read of the model identification
        QString bandRead;
        QString informationRead;
        QString channelRead;
        QString functionBlockRead;
        QString channelWrite;
        QString functionBlockWrite;
        QString informationWrite;

        // The reasons.
        QString noHandshake;
        QString notAcknowledged; // the start of programming
        QString unknownModel;    // %1 the identification
        QString bandNotListed;   // %1 the radio's band
        QString noBand;          // %1 the band text of a radio without a band
        QString busy;            // %1 the answers in a row, %2 the step
        QString busyOrBadCheck;  // %1 the answers in a row, %2 the step
        QString noValidAnswer;   // %1 the step
        QString notAccepted;     // %1 the step
        QString stopped;         // on request, before the end
        QString disconnected;    // %1 the device
        QString mismatch;        // %1 the blocks that differ
        QString backupFailed;    // %1 why the backup read failed

        // What the radio answered last to the step that failed.
        QString lastAnswer;    // %1 the answer: its bytes and its kind, or answerNothing
        QString answerNothing; // no byte came back
        QString answerAcknowledge;
        QString answerBusy;
        QString answerHandshake;  // the answer to the handshake
        QString answerRead;       // a read answer with a good check byte
        QString answerWrongCheck; // a read answer whose check byte does not fit
        QString answerTooShort;   // a read answer too short to hold a block
        QString answerUnexpected; // anything else
    };

    // The problems of a CSV channel list being imported, one for each row
    // (or tone) that cannot be taken as it stands.
    struct CsvTexts {
        QString line;            // %1 the line of the file, %2 the problem
        QString notAFrequency;   // %1 the column, %2 its text
        QString outsideBand;     // %1 the frequency in MHz, %2 the band
        QString offStep;         // %1 the frequency in MHz
        QString unknownTone;     // %1 the column, %2 its text
        QString noEquivalent;    // %1 the column, %2 its text
        QString notUnderstood;   // %1 the column, %2 its text
        QString tooManyChannels; // %1 the number of channels
        QString rowLeftOut;      // after a problem: the row is not imported
        QString toneOff;         // after a tone problem: imported with that tone off
    };

    // Why channels cannot be pasted (the whole paste is refused).
    struct PasteTexts {
        QString line;          // %1 the line of the pasted text, %2 the problem
        QString notAFrequency; // %1 the text, %2 the column
        QString outsideBand;   // %1 the text, %2 the band
        QString unknownTone;   // %1 the text, %2 the column
        QString unknownWord;   // %1 the text, %2 the column
        QString tooManyFields; // %1 the fields of the line, %2 the most a line may have
        QString noBand;        // %1 the frequency that cannot be checked without a band
        QString tooManyRows;   // %1 rows, %2 the first channel, %3 the channel count
        QString nothingPasted; // the whole message: %1 the problem
    };

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
    FailureTexts failure;       // the details of the exchange-failure box
    QString heldByText;         // a port held by another program: %1 its name, %2 its process id
    QString heldByProcessText;  // a port held by a process without a name: %1 its process id
    QString safeWriteText;      // menu item: back up the radio before a write, verify after it
    QString backupPhaseText;    // read/write dialog: the backup read is under way
    QString writePhaseText;     // read/write dialog: the write is under way
    QString verifyPhaseText;    // read/write dialog: the read-back is under way
    QString backupSavedText;    // read/write dialog after a write: %1 the backup file
    QString traceItemText;      // menu item: record a trace of the link
    QString traceFileText;      // failure details: %1 the trace file
    QString traceFailedText;    // failure details: %1 the trace file, %2 why it cannot be written
    QString importItemText;     // File menu item: import a CSV channel list
    QString exportItemText;     // File menu item: export the channels as a CSV channel list
    QString importCaption;      // caption of the import box
    QString importCountText;    // import box: %1 how many channels, %2 the file name
    QString importProblemsText; // import box, above the problems: %1 how many
    QString importNothingText;  // import box: %1 (the file name) holds no row to import
    CsvTexts csv;               // the import box's problems
    QString fleetItemText;      // menu item: write the configuration into many radios
    QString fleetCaption;       // caption of the fleet dialog
    QString fleetWaitingText;   // fleet dialog: %1 the radio waited for
    QString fleetWritingText;   // fleet dialog: %1 the radio being written
    QString fleetUnplugText;    // fleet dialog: %1 the radio done
    QString fleetCountText;     // fleet dialog: %1 radios done, %2 written, %3 failed
    QString fleetStopText;      // fleet dialog: the Stop button
    QString fleetCloseText;     // fleet dialog: the Close button
    QString fleetStoppedText;   // fleet dialog: the loop has ended
    QString fleetLogText;       // fleet dialog: %1 the log file
    QString fleetVerifiedText;  // fleet dialog: a radio written and checked
    QString fleetWrittenText;   // fleet dialog: a radio written, not checked
    QString fleetFailedText;    // fleet dialog: %1 why the radio failed
    QString fastTransferText;   // port dialog: each step moves on as soon as the radio has answered
    QString editMenuText;       // the Edit menu
    QString undoText;           // Edit menu: take back the last step
    QString redoText;           // Edit menu: do the step taken back again
    QString stepItemText;       // Edit menu: %1 undo or redo, %2 the step
    QString cellStepText;       // a step: %1 the column's header, %2 the channel number
    QString cutText;            // Edit menu: copy the channels, then empty them
    QString copyText;           // Edit menu: copy the channels
    QString pasteText;          // Edit menu: paste channels from the current one down
    QString changeStepText;     // a step that changed several things
    QString closeQuestionText;  // closing with unsaved changes: save them first?
    PasteTexts paste;           // why a paste is refused
};
