#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mdialog.h"
#include "mlabel.h"
#include "mmessagebox.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "testsupport.h"

#include <QClipboard>
#include <QGraphicsLinearLayout>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

// Text from outside (numbers, names, digits, banner texts) that looks like markup is shown as
// it is, and markup never makes the touch layer load a file.
class TestOutsideText : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_image; // a red picture that markup could ask for
    MApplicationWindow *m_window = nullptr;
    MApplicationPage *m_page = nullptr;
    QPointer<QGraphicsWidget> m_content;
    QPointer<MSceneWindow> m_popup;

    QString hostile(const QString &pattern) const { return QString(pattern).arg(m_image); }

    static QGraphicsWidget *findText(QGraphicsItem *root, const QString &text)
    {
        if (auto *label = qobject_cast<MLabel *>(root->toGraphicsObject())) {
            if (label->text() == text && label->isVisible())
                return label;
        }
        if (auto *edit = qobject_cast<MTextEdit *>(root->toGraphicsObject())) {
            if (edit->text() == text)
                return edit;
        }
        const QList<QGraphicsItem *> children = root->childItems();
        for (QGraphicsItem *c : children) {
            if (QGraphicsWidget *w = findText(c, text))
                return w;
        }
        return nullptr;
    }

    // Red pixels in the window (the picture drawn), and how many columns of the text's widget
    // hold ink (literal markup is much wider than what it would format to).
    void look(QGraphicsWidget *w, int *red, int *inkColumns)
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QImage shot = m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        *red = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    ++*red;
            }
        }
        const QRect r =
            m_window->mapFromScene(w->mapToScene(w->rect())).boundingRect() & shot.rect();
        const QColor bg = shot.pixelColor(r.topLeft());
        *inkColumns = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const QColor c = shot.pixelColor(x, y);
                if (qAbs(c.red() - bg.red()) + qAbs(c.green() - bg.green()) +
                        qAbs(c.blue() - bg.blue()) >
                    120) {
                    ++*inkColumns;
                    break;
                }
            }
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_image = m_dir.filePath(QStringLiteral("red.png"));
        QImage red(60, 60, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_image));
        m_window = new MApplicationWindow;
        m_page = new MApplicationPage;
        m_window->sceneManager()->appearSceneWindowNow(m_page);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        if (m_popup)
            m_popup->dismiss();
        m_page->pannableViewport()->setWidget(nullptr);
        delete m_content;
    }
    void cleanupTestCase()
    {
        delete m_page;
        delete m_window;
    }

    void shouldShowMarkupLiterally_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QString>("pattern");
        const QString img = QStringLiteral("<img src=\"%1\">");
        QTest::newRow("label picture") << "label" << img;
        QTest::newRow("label bold") << "label"
                                    << "<b>Anna</b>";
        QTest::newRow("label entity") << "label"
                                      << "Tom &amp; Jerry";
        QTest::newRow("label in auto format") << "autolabel" << img;
        QTest::newRow("banner") << "banner" << img;
        QTest::newRow("message box text") << "messagebox" << img;
        QTest::newRow("dialog title") << "dialog"
                                      << "<b>Anna</b> " + img;
        QTest::newRow("text field") << "edit" << img;
    }
    void shouldShowMarkupLiterally()
    {
        QFETCH(QString, holder);
        QFETCH(QString, pattern);
        const QString text = hostile(pattern);
        MSceneWindow *popup = nullptr;
        QGraphicsWidget *content = nullptr;
        if (holder == QLatin1String("label") || holder == QLatin1String("autolabel")) {
            auto *label = new MLabel(text);
            if (holder == QLatin1String("autolabel"))
                label->setTextFormat(Qt::AutoText);
            label->setStyleName(QStringLiteral("CommonTitle"));
            content = label;
        } else if (holder == QLatin1String("edit")) {
            auto *edit = new MTextEdit;
            edit->setText(text);
            content = edit;
        } else if (holder == QLatin1String("banner")) {
            auto *banner = new MBanner;
            banner->setStyleName(QStringLiteral("InformationBanner"));
            banner->setTitle(text);
            popup = banner;
        } else if (holder == QLatin1String("messagebox")) {
            popup = new MMessageBox(QStringLiteral("Title"), text, MMessageBox::Ok);
        } else {
            popup = new MDialog(text);
        }
        m_content = content;
        m_popup = popup;
        m_page->pannableViewport()->setWidget(content);
        if (popup)
            popup->appear(m_window, MSceneWindow::DestroyWhenDone);
        QGraphicsWidget *shown =
            findText(popup ? static_cast<QGraphicsItem *>(popup)
                           : static_cast<QGraphicsItem *>(m_page->pannableViewport()),
                     text);
        QVERIFY(shown);
        int red = 0, ink = 0;
        look(shown, &red, &ink);
        TestSupport::saveScreenshot(m_window, QStringLiteral("outsidetext-") + holder +
                                                  QString::number(pattern.size()));
        QCOMPARE(red, 0);
        const MStyle &style = static_cast<MWidgetController *>(shown)->style();
        const qreal literal = QFontMetricsF(style.font()).horizontalAdvance(text);
        const qreal room = shown->size().width() - style.padding.left() - style.padding.right();
        QVERIFY2(ink >= 0.7 * qMin(literal, room),
                 qPrintable(QStringLiteral("%1 of %2").arg(ink).arg(qMin(literal, room))));
    }

    void shouldPasteMarkupAsItsText()
    {
        auto *edit = new MTextEdit;
        m_content = edit;
        m_page->pannableViewport()->setWidget(edit);
        QApplication::setActiveWindow(m_window);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_page->setFocus(Qt::OtherFocusReason);
        edit->setFocus();
        QTRY_VERIFY(edit->hasEditorFocus());
        auto *mime = new QMimeData;
        mime->setHtml(hostile(QStringLiteral("<b>040</b><img src=\"%1\">")));
        mime->setText(QStringLiteral("040 123"));
        QGuiApplication::clipboard()->setMimeData(mime);
        QTest::keyClick(m_window->viewport(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("040 123"));
        int red = 0, ink = 0;
        look(edit, &red, &ink);
        QCOMPARE(red, 0);
    }
};

CH_TOUCH_TEST_MAIN(TestOutsideText)
#include "tst_outsidetext.moc"
