#pragma once

#include "mdialog.h"

class MLabel;

// A question or notice with standard buttons (for example Yes and No); Yes and Ok accept.
class MMessageBox : public MDialog
{
    Q_OBJECT
public:
    MMessageBox(const QString &title, const QString &text, int buttons,
                QGraphicsItem *parent = nullptr);
    explicit MMessageBox(const QString &title, int buttons = Ok, QGraphicsItem *parent = nullptr);

    QString text() const;

private:
    MLabel *m_text;
};
