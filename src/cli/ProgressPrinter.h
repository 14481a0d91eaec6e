#pragma once

#include <QString>
#include <cstdio>

// The progress of an exchange on a stream (stderr): on a terminal one line
// rewritten in place ("reading  45%"), elsewhere one line per change, so a
// log shows how far an exchange got.
class ProgressPrinter
{
public:
    ProgressPrinter(std::FILE *stream, QString label);

    // The exchange's progress; nothing is shown before the maximum is known.
    void update(int value, int maximum);
    // Ends a line rewritten in place, so the next message starts on its own.
    void finish();

    // Whether the stream is a terminal, where the line is rewritten in place.
    static bool isTerminal(std::FILE *stream);

private:
    std::FILE *m_stream;
    QString m_label;
    bool m_inPlace;
    int m_shown = -1; // the percentage last shown
    bool m_lineOpen = false;
};
