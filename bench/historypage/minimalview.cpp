#include "minimalview.h"

#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>

QGraphicsView *makeMinimalView()
{
    auto *scene = new QGraphicsScene(0, 0, 480, 854);
    scene->setBackgroundBrush(Qt::black);
    for (int i = 0; i < 10; ++i) {
        scene->addRect(0, i * 84, 480, 83, QPen(Qt::darkGray), QBrush(QColor(24, 24, 24)));
        QGraphicsSimpleTextItem *text =
            scene->addSimpleText(QStringLiteral("+358 40 123 45%1").arg(i, 2, 10, QChar('0')));
        text->setBrush(Qt::white);
        text->setPos(16, i * 84 + 30);
    }
    auto *view = new QGraphicsView(scene);
    scene->setParent(view);
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->resize(480, 854);
    return view;
}
