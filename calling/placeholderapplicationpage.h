#pragma once

#include "mapplicationpage.h"

class MLabel;

// The application page of a tab whose content is not built yet: its title in the header and a
// short centred text, nothing that could be mistaken for working controls.
class PlaceholderApplicationPage : public MApplicationPage
{
    Q_OBJECT
public:
    explicit PlaceholderApplicationPage(const QString &title, QGraphicsItem *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

private:
    MLabel *m_header;
    MLabel *m_body;
};
