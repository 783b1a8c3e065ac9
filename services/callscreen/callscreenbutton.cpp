#include "callscreenbutton.h"

#include "mbutton.h"
#include "mlabel.h"

#include <QGraphicsLinearLayout>

CallScreenButton::CallScreenButton(const QString &styleName, const QString &iconId,
                                   QGraphicsItem *parent)
    : MWidget(parent), m_button(new MButton), m_caption(new MLabel)
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_button->setStyleName(styleName);
    m_button->setIconID(iconId);
    m_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addItem(m_button);
    layout->setAlignment(m_button, Qt::AlignHCenter);
    m_caption->setStyleName(QStringLiteral("CallScreenCaption"));
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAcceptedMouseButtons(Qt::NoButton);
    m_caption->hide();
    layout->addItem(m_caption);
    layout->setAlignment(m_caption, Qt::AlignHCenter);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_button, &MButton::clicked, this, [this](bool checked) {
        // The shown state changes only when the screen says so (setChecked): a tap asks.
        if (m_button->isCheckable())
            m_button->setChecked(!checked);
        Q_EMIT tapped(checked);
    });
}

QString CallScreenButton::caption() const
{
    return m_caption->text();
}

void CallScreenButton::setCaption(const QString &caption)
{
    m_caption->setText(caption);
    m_caption->setVisible(!caption.isEmpty());
}

bool CallScreenButton::isChecked() const
{
    return m_button->isChecked();
}

void CallScreenButton::setCheckable(bool checkable)
{
    m_button->setCheckable(checkable);
}

void CallScreenButton::setChecked(bool checked)
{
    m_button->setChecked(checked);
}
