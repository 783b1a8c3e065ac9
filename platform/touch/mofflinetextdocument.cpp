#include "mofflinetextdocument.h"

MOfflineTextDocument::MOfflineTextDocument(QObject *parent) : QTextDocument(parent) {}

QVariant MOfflineTextDocument::loadResource(int, const QUrl &)
{
    return QVariant();
}
