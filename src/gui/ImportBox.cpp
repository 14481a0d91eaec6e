#include "gui/ImportBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>

namespace
{

// The problem list shows this many lines at most; more scroll.
constexpr int kShownLines = 10;
constexpr int kListWidth = 560;

} // namespace

namespace ImportBox
{

bool confirm(QWidget *parent, const LanguageTexts &texts, const ChannelCsv::Import &import,
             const QString &fileName)
{
    const bool nothing = import.channels.isEmpty();
    QDialog box(parent);
    box.setObjectName(QStringLiteral("ImportBox"));
    box.setWindowTitle(texts.importCaption);
    auto *layout = new QGridLayout(&box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(16);

    QStyle *style = box.style();
    const int iconSize = style->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    auto *icon = new QLabel(&box);
    icon->setObjectName(QStringLiteral("ImportIcon"));
    const QStyle::StandardPixmap kind = import.problems.isEmpty() && !nothing
                                            ? QStyle::SP_MessageBoxQuestion
                                            : QStyle::SP_MessageBoxWarning;
    icon->setPixmap(style->standardIcon(kind, nullptr, &box).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, 3, 1);

    auto *text = new QLabel(
        nothing ? texts.importNothingText.arg(fileName)
                : texts.importCountText.arg(QString::number(import.channels.size()), fileName),
        &box);
    text->setObjectName(QStringLiteral("ImportText"));
    text->setWordWrap(true);
    text->setMinimumWidth(kListWidth);
    layout->addWidget(text, 0, 1);

    if (!import.problems.isEmpty()) {
        auto *heading = new QLabel(texts.importProblemsText.arg(import.problems.size()), &box);
        heading->setObjectName(QStringLiteral("ImportProblemsHeading"));
        layout->addWidget(heading, 1, 1);

        QStringList lines;
        for (const ChannelCsv::Problem &problem : import.problems)
            lines << problem.describe(texts.csv);
        auto *list = new QPlainTextEdit(&box);
        list->setObjectName(QStringLiteral("ImportProblems"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        list->setPlainText(lines.join(QLatin1Char('\n')));
        // As high as its lines up to the limit, with half a line to spare:
        // a long list scrolls.
        const int shown = qMin(int(lines.size()), kShownLines);
        const int lineSpacing = list->fontMetrics().lineSpacing();
        const int margins = int(2 * list->document()->documentMargin()) + 2 * list->frameWidth();
        list->setFixedSize(kListWidth, shown * lineSpacing + lineSpacing / 2 + margins);
        layout->addWidget(list, 2, 1);
    }

    auto *buttons = new QDialogButtonBox(
        nothing ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    buttons->setObjectName(QStringLiteral("ImportButtons"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 2);

    return box.exec() == QDialog::Accepted && !nothing;
}

} // namespace ImportBox
