#pragma once

#include <QObject>
#include <QStringList>

class QUrl;

// Takes the URIs the desktop would open for the given schemes, in place of the applications that
// handle them, for as long as it exists. QDesktopServices' handlers are process-wide: the
// destructor gives the schemes back, so a failed check cannot leave one caught for later tests.
class UriCatcher : public QObject
{
    Q_OBJECT
public:
    explicit UriCatcher(const QStringList &schemes, QObject *parent = nullptr);
    ~UriCatcher() override;

    // What was opened, fully encoded, oldest first.
    QStringList uris;

public Q_SLOTS:
    void open(const QUrl &url);

private:
    const QStringList m_schemes;
};
