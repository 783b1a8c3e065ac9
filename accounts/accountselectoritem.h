#pragma once

#include "mlistitem.h"

class MImageWidget;
class MLabel;
class SubtitleLabel;

// One row of the dialer's account list: the account's icon, its label and, below it, its
// credits (the line takes no room when there are none). The current account carries a check
// mark at the end. Texts are plain text.
class AccountSelectorItem : public MListItem
{
    Q_OBJECT
public:
    explicit AccountSelectorItem(QGraphicsItem *parent = nullptr);

    MImageWidget *icon() const { return m_icon; }
    MLabel *titleLabel() const { return m_title; }
    SubtitleLabel *subtitleLabel() const { return m_subtitle; }
    bool isCurrent() const;
    void setCurrent(bool current);

private:
    MImageWidget *m_icon;
    MLabel *m_title;
    SubtitleLabel *m_subtitle;
    MImageWidget *m_mark;
};
