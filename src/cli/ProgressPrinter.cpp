#include "cli/ProgressPrinter.h"

#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

ProgressPrinter::ProgressPrinter(std::FILE *stream, QString label)
    : m_stream(stream), m_label(std::move(label)), m_inPlace(isTerminal(stream))
{
}

bool ProgressPrinter::isTerminal(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream));
#else
    return ::isatty(fileno(stream));
#endif
}

void ProgressPrinter::update(int value, int maximum)
{
    if (maximum <= 0)
        return;
    const int percent = int(qBound(0LL, qint64(value) * 100 / maximum, 100LL));
    if (percent == m_shown)
        return;
    m_shown = percent;
    const QByteArray text = QStringLiteral("%1 %2%").arg(m_label).arg(percent, 3).toUtf8();
    if (m_inPlace) {
        std::fprintf(m_stream, "\r%s", text.constData());
        m_lineOpen = true;
    } else {
        std::fprintf(m_stream, "%s\n", text.constData());
    }
    std::fflush(m_stream);
}

void ProgressPrinter::finish()
{
    if (!m_lineOpen)
        return;
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
    m_lineOpen = false;
}
