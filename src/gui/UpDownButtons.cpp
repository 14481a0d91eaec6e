#include "gui/UpDownButtons.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QToolButton *arrowButton(Qt::ArrowType arrow, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

} // namespace

UpDownButtons::UpDownButtons(QWidget *parent)
    : QWidget(parent), m_up(arrowButton(Qt::UpArrow, QStringLiteral("up"), this)),
      m_down(arrowButton(Qt::DownArrow, QStringLiteral("down"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);

    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT clicked(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT clicked(-1); });
}
