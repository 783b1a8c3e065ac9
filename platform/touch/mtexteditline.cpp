#include "mtexteditline.h"

#include "mofflinetextdocument.h"

#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

MTextEditLine::MTextEditLine(QGraphicsItem *parent) : QGraphicsTextItem(parent)
{
    setDocument(new MOfflineTextDocument(this));
    setTextInteractionFlags(Qt::TextEditorInteraction);
    // The item's text control takes HTML from the clipboard or a drop unless told not to.
    for (QObject *child : children()) {
        if (child->metaObject()->indexOfProperty("acceptRichText") >= 0) {
            child->setProperty("acceptRichText", false);
            connect(child, SIGNAL(cursorPositionChanged()), this, SIGNAL(cursorMoved()));
        }
    }
}

qreal MTextEditLine::cursorX() const
{
    const QTextCursor cursor = textCursor();
    const QTextLayout *layout = cursor.block().layout();
    if (!layout || layout->lineCount() == 0)
        return 0;
    const QTextLine line = layout->lineForTextPosition(cursor.positionInBlock());
    return line.isValid() ? line.cursorToX(cursor.positionInBlock()) : 0;
}

void MTextEditLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                          QWidget *widget)
{
    QStyleOptionGraphicsItem plain(*option);
    plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    QGraphicsTextItem::paint(painter, &plain, widget);
}
