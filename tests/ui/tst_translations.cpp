// Qt's own texts in the user's language: run under a Russian locale
// (LANG and LC_ALL ru_RU.UTF-8), the command box's standard context menu
// reads in Russian.
#include "uitest.h"

#include "ui/desktop.h"
#include "ui/frmtargame.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

class TranslationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contextMenuReadsInTheUsersLanguage();
};

void TranslationsTest::contextMenuReadsInTheUsersLanguage()
{
    QCOMPARE(QLocale().language(), QLocale::Russian);
    QVERIFY(installQtTranslations(*QCoreApplication::instance()));

    GameSettings settings;
    frmTargame game(settings, windowTestStory());
    game.show();
    QVERIFY(QTest::qWaitForWindowExposed(&game));
    auto *box = child<QLineEdit>(&game, "txtCon");
    typeText(box, u"взять"_s);
    box->selectAll();

    // The menu the right button opens, read while it is up, then closed.
    quietAboutRaise();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), box->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(box, &event);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text().section(u'\t', 0, 0);   // the shortcut aside
    }
    menu->close();

    QVERIFY(texts.size() >= 5);
    QVERIFY2(texts.contains(u"&Копировать"_s), qPrintable(texts.join(u", "_s)));
    QVERIFY2(texts.contains(u"Выделить все"_s) || texts.contains(u"Выделить всё"_s), qPrintable(texts.join(u", "_s)));
    // nothing left in English
    const QRegularExpression latin(u"[A-Za-z]{2,}"_s);
    for (const QString &text : std::as_const(texts))
        QVERIFY2(!text.contains(latin), qPrintable(text));
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
