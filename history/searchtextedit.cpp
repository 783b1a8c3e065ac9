#include "searchtextedit.h"

#include "mbutton.h"
#include "mtextedit.h"

#include <QGraphicsGridLayout>

SearchTextEdit::SearchTextEdit(MTextEdit *editor, QGraphicsItem *parent)
    : MStylableWidget(parent), m_editor(editor), m_search(new MButton), m_clear(new MButton),
      m_layout(new QGraphicsGridLayout)
{
    setStyleName(QStringLiteral("CallHistorySearchTextEdit"));
    m_editor->setStyleName(QStringLiteral("CommonSingleInputField"));
    m_editor->setPrompt(qtTrId("qtn_comm_search"));
    m_editor->setVisible(true);
    m_search->setStyleName(QStringLiteral("CallHistorySearchButton"));
    m_search->setIconID(QStringLiteral("icon-m-common-search"));
    m_clear->setStyleName(QStringLiteral("CallHistorySearchButton"));
    m_clear->setIconID(QStringLiteral("icon-m-input-clear"));
    m_clear->hide();
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addItem(m_editor, 0, 0);
    m_layout->setColumnStretchFactor(0, 1);
    m_layout->addItem(m_search, 0, 1, Qt::AlignRight | Qt::AlignVCenter);
    m_search->setFocusProxy(m_editor);
    setLayout(m_layout);

    m_hideTimer.setInterval(5000);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &SearchTextEdit::hideRequest);
    connect(m_editor, SIGNAL(textChanged()), this, SLOT(onTextChanged()));
    connect(m_editor, SIGNAL(gainedFocus(Qt::FocusReason)), this, SLOT(onGainedFocus()));
    connect(m_editor, SIGNAL(lostFocus(Qt::FocusReason)), this, SLOT(onLostFocus()));
    connect(m_editor, SIGNAL(returnPressed()), this, SLOT(onReturnPressed()));
    connect(m_clear, SIGNAL(clicked()), this, SLOT(onClearClicked()));
}

void SearchTextEdit::retranslateUi()
{
    m_editor->setPrompt(qtTrId("qtn_comm_search"));
}

void SearchTextEdit::setSearchVisible(bool visible)
{
    if (visible && m_editor->text().trimmed().isEmpty())
        m_hideTimer.start();
    setVisible(visible);
}

void SearchTextEdit::clearText()
{
    m_editor->setText(QString());
    onTextChanged();
}

void SearchTextEdit::swapButton(MButton *in, MButton *out)
{
    out->setFocusProxy(nullptr);
    out->hide();
    in->show();
    for (int i = 0; i < m_layout->count(); ++i) {
        if (m_layout->itemAt(i) == out) {
            m_layout->removeAt(i);
            break;
        }
    }
    m_layout->addItem(in, 0, 1, Qt::AlignRight | Qt::AlignVCenter);
    in->setFocusProxy(m_editor);
}

void SearchTextEdit::onTextChanged()
{
    const bool empty = m_editor->text().trimmed().isEmpty();
    if (!empty && m_layout->itemAt(0, 1) != m_clear) {
        swapButton(m_clear, m_search);
        m_hideTimer.stop();
    } else if (empty && m_layout->itemAt(0, 1) != m_search) {
        swapButton(m_search, m_clear);
        if (!m_editor->hasEditorFocus())
            m_hideTimer.start();
    }
}

void SearchTextEdit::onGainedFocus()
{
    m_hideTimer.stop();
    setStyleMode(QStringLiteral("selected"));
    update();
}

void SearchTextEdit::onLostFocus()
{
    if (m_editor->text().trimmed().isEmpty())
        m_hideTimer.start();
    setStyleMode(QString());
    update();
}

void SearchTextEdit::onClearClicked()
{
    m_editor->setText(QString());
}

void SearchTextEdit::onReturnPressed()
{
    m_editor->clearFocus();
}
