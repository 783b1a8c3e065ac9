#include "mtextedit.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsTextItem>
#include <QKeyEvent>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

MTextEdit::MTextEdit(QGraphicsItem *parent)
    : MWidgetController(parent), m_edit(new QGraphicsTextItem(this))
{
    setStyleName(QStringLiteral("CommonSingleInputField"));
    setFlag(QGraphicsItem::ItemIsFocusable);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptedMouseButtons(Qt::LeftButton);
    m_edit->setTextInteractionFlags(Qt::TextEditorInteraction);
    m_edit->document()->setDocumentMargin(0);
    m_edit->document()->setMaximumBlockCount(1);
    setFocusProxy(m_edit);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_edit->document(), &QTextDocument::contentsChanged, this,
            &MTextEdit::onContentsChanged);
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
    const qreal h = QFontMetricsF(style().font()).height();
    m_edit->setTextWidth(-1);
    m_edit->setPos(r.left(), r.top() + (r.height() - h) / 2);
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
    QColor c = s.color;
    c.setAlphaF(0.45);
    painter->setFont(s.font());
    painter->setPen(c);
    const QRectF r = contentsRect();
    painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QFontMetricsF(s.font()).elidedText(m_prompt, Qt::ElideRight, r.width()));
}
