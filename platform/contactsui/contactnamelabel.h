#pragma once

#include "mlabel.h"

// The name of a contact list row: one line of plain text that fills the room beside the avatar,
// elided when longer. Its size hints do not depend on the name, so a row that shows another
// contact (a list refilled after a change of filter) is not measured and laid out again for it
// (its row's layout is not even told); the name is measured once, when it is drawn, and not
// when it is set.
//
// Limits: not for word-wrapped or rich text, whose height follows the text.
class ContactNameLabel : public MLabel
{
    Q_OBJECT
public:
    explicit ContactNameLabel(QGraphicsItem *parent = nullptr);

    // Passes the change on only when the hints may change (a new look), not for a new name.
    void updateGeometry() override;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    bool hintsFollowText() const override { return false; }

private:
    // The hints of the label without text, for the look they were measured in.
    mutable QSizeF m_hints[2];
    mutable const MStyle *m_hintStyle = nullptr;
    mutable int m_hintFontSize = 0;
};
