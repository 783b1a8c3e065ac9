#include "mmessagebox.h"

#include "mlabel.h"

MMessageBox::MMessageBox(const QString &title, const QString &text, int buttons,
                         QGraphicsItem *parent)
    : MDialog(title, parent), m_text(new MLabel(text))
{
    m_text->setStyleName(QStringLiteral("MMessageBoxText"));
    m_text->setWordWrap(true);
    if (text.isEmpty())
        m_text->hide();
    else
        setCentralWidget(m_text);
    for (StandardButton b : {Yes, No, Ok, Cancel}) {
        if (buttons & b)
            addButton(b);
    }
}

MMessageBox::MMessageBox(const QString &title, int buttons, QGraphicsItem *parent)
    : MMessageBox(title, QString(), buttons, parent)
{
}

QString MMessageBox::text() const
{
    return m_text->text();
}
