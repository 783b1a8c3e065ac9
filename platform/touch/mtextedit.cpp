#include "mtextedit.h"

#include "mtexteditline.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// Room kept between the cursor and the field's edge while the text scrolls.
const qreal CursorMargin = 2;
} // namespace

MTextEdit::MTextEdit(QGraphicsItem *parent)
    : MWidgetController(parent), m_clip(new QGraphicsWidget(this)),
      m_edit(new MTextEditLine(m_clip))
{
    // The text is drawn only inside the field's contents, whatever its length.
    m_clip->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    m_clip->setFlag(QGraphicsItem::ItemHasNoContents);
    setStyleName(QStringLiteral("CommonSingleInputField"));
    setFlag(QGraphicsItem::ItemIsFocusable);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptedMouseButtons(Qt::LeftButton);
    m_edit->document()->setDocumentMargin(0);
    m_edit->document()->setMaximumBlockCount(1);
    setFocusProxy(m_edit);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_edit->document(), &QTextDocument::contentsChanged, this,
            &MTextEdit::onContentsChanged);
    connect(m_edit, &MTextEditLine::cursorMoved, this, &MTextEdit::placeText);
    applyStyle();
}

QString MTextEdit::text() const
{
    return m_edit->toPlainText();
}

void MTextEdit::setText(const QString &text)
{
    QString clean = text;
    clean.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QChar::ParagraphSeparator, ' ');
    clean.truncate(m_maxLength);
    if (clean == this->text())
        return;
    m_edit->setPlainText(clean);
    QTextCursor c = m_edit->textCursor();
    c.movePosition(QTextCursor::End);
    m_edit->setTextCursor(c);
}

void MTextEdit::setPrompt(const QString &prompt)
{
    m_prompt = prompt;
    update();
}

bool MTextEdit::hasEditorFocus() const
{
    return m_edit->hasFocus();
}

void MTextEdit::onContentsChanged()
{
    QString t = text();
    if (t.contains(QChar::ParagraphSeparator) || t.contains(QLatin1Char('\n')) ||
        t.size() > m_maxLength) {
        setText(t);
        return;
    }
    if (t == m_lastText)
        return;
    m_lastText = t;
    placeText();
    update();
    Q_EMIT textChanged();
}

void MTextEdit::applyStyle()
{
    MWidgetController::applyStyle();
    const MStyle &s = style();
    m_edit->setFont(s.font());
    m_edit->setDefaultTextColor(s.color);
    placeText();
}

void MTextEdit::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    placeText();
}

void MTextEdit::placeText()
{
    const QRectF r = contentsRect();
    m_clip->setGeometry(r);
    const qreal h = QFontMetricsF(style().font()).height();
    // Setting the width lays the whole text out again, even the same width.
    if (m_edit->textWidth() != -1)
        m_edit->setTextWidth(-1);
    const qreal width = m_edit->boundingRect().width() + CursorMargin;
    const qreal room = r.width();
    if (width <= room) {
        // Fits: at the leading edge.
        m_scroll = layoutDirection() == Qt::RightToLeft ? room - width : 0;
    } else {
        // Longer than the field: keep the cursor in view, never show space past the text.
        const qreal cursor = m_edit->cursorX();
        if (m_scroll + cursor > room - CursorMargin)
            m_scroll = room - CursorMargin - cursor;
        if (m_scroll + cursor < CursorMargin)
            m_scroll = CursorMargin - cursor;
        m_scroll = qBound(room - width, m_scroll, qreal(0));
    }
    m_edit->setPos(m_scroll, (r.height() - h) / 2);
}

void MTextEdit::changeEvent(QEvent *event)
{
    MWidgetController::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange)
        placeText();
}

QVariant MTextEdit::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSceneHasChanged && !m_installed && scene()) {
        m_edit->installSceneEventFilter(this);
        m_installed = true;
    }
    return MWidgetController::itemChange(change, value);
}

bool MTextEdit::sceneEventFilter(QGraphicsItem *watched, QEvent *event)
{
    if (watched != m_edit)
        return MWidgetController::sceneEventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Q_EMIT returnPressed();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        Q_EMIT gainedFocus(static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::FocusOut:
        Q_EMIT lostFocus(static_cast<QFocusEvent *>(event)->reason());
        break;
    default:
        break;
    }
    return false;
}

void MTextEdit::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    m_edit->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void MTextEdit::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    if (!text().isEmpty() || m_prompt.isEmpty())
        return;
    const MStyle &s = style();
    QColor c = s.promptColor;
    if (!c.isValid()) {
        c = s.color;
        c.setAlphaF(0.6);
    }
    painter->setFont(s.font());
    painter->setPen(c);
    const QRectF r = contentsRect();
    painter->setLayoutDirection(Qt::LayoutDirectionAuto);
    const Qt::Alignment align =
        QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter);
    painter->drawText(r, int(align) | Qt::TextSingleLine,
                      QFontMetricsF(s.font()).elidedText(m_prompt, Qt::ElideRight, r.width()));
}
