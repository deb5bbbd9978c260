// The terminal's view of the game's text: cells, widths and word wrapping.

#include "tui/text.h"

#include <QTest>

#include <clocale>
#include <cwchar>

using namespace tarnvale::tui;

namespace {

int columns(const std::wstring &line)
{
    return ::wcswidth(line.c_str(), line.size());
}

} // namespace

class TextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr); }

    void lineBreaks()
    {
        // CR LF, a lone CR and a lone LF each end a line; an empty line stays.
        const auto lines = wrapText(u"один\r\nдва\rтри\n\r\nпять", 40);
        const std::vector<std::wstring> expected{L"один", L"два", L"три", L"", L"пять"};
        QVERIFY(lines == expected);
        // The opening text's blanks before the line breaks do not show.
        QVERIFY(wrapText(u"Ты стоишь на улице. \r\nмашины.", 40)
                == (std::vector<std::wstring>{L"Ты стоишь на улице.", L"машины."}));
    }

    void wrapsAtBlanks()
    {
        const auto lines = wrapText(u"Грязная урна, вся в ржавчине. Внутри много", 14);
        const std::vector<std::wstring> expected{L"Грязная урна,", L"вся в", L"ржавчине.",
                                                 L"Внутри много"};
        QVERIFY(lines == expected);
        for (const auto &line : lines)
            QVERIFY(columns(line) <= 14);
        // A run of blanks at the break disappears; a word exactly as wide as the box fits.
        QVERIFY(wrapText(u"абвгд     еж", 5) == (std::vector<std::wstring>{L"абвгд", L"еж"}));
    }

    void breaksLongWords()
    {
        // A word wider than the box is cut, and nothing is lost.
        const auto lines = wrapText(u"http://tarnvale.example/", 10);
        const std::vector<std::wstring> expected{L"http://tar", L"nvale.exam", L"ple/"};
        QVERIFY(lines == expected);
    }

    void wideCharacters()
    {
        // Two columns each: a wide character never straddles the edge.
        const auto lines = wrapText(u"漢字漢字漢", 5);
        QVERIFY(lines == (std::vector<std::wstring>{L"漢字", L"漢字", L"漢"}));
        for (const auto &line : lines)
            QVERIFY(columns(line) <= 5);
        QCOMPARE(displayWidth(u"漢字"), 4);
        QVERIFY(fitWidth(u"漢字漢", 5) == L"漢字");
        QVERIFY(fitWidth(u"пустая пачка сигарет", 6) == L"пустая");
    }

    void cellsOfAwkwardText()
    {
        // A surrogate pair is one character; a lone surrogate, a control
        // character and a character of no width become U+FFFD; a tab a blank.
        const std::u16string text = u"a\U0001F600b\xD800" u"c\x01\t";
        const auto cells = toCells(text);
        QCOMPARE(int(cells.size()), 7);
        QCOMPARE(cells[1].ch, wchar_t(0x1F600));
        QCOMPARE(cells[1].units, 2);
        QCOMPARE(cells[1].width, 2);
        QCOMPARE(cells[2].unit, 3);
        QCOMPARE(cells[3].ch, wchar_t(0xFFFD));
        QCOMPARE(cells[5].ch, wchar_t(0xFFFD));
        QCOMPARE(cells[6].ch, wchar_t(L' '));
        // A combining mark shares its base's cell and keeps its place in the text.
        const auto marked = toCells(u"е\u0308ж");
        QCOMPARE(int(marked.size()), 2);
        QCOMPARE(marked[0].units, 2);
        QCOMPARE(marked[1].unit, 2);
        QVERIFY(toWide(u"е\u0308ж") == L"е\u0308ж");
        QCOMPARE(displayWidth(u"е\u0308ж"), 2);
    }

    void typedCharacters()
    {
        QVERIFY(fromWide(L'ё') == u"ё");
        QVERIFY(fromWide(wchar_t(0x1F600)) == u"\U0001F600");
        QVERIFY(fromWide(wchar_t(0xDC00)) == u"\uFFFD");
        QVERIFY(fromWide(wchar_t(0x110000)) == u"\uFFFD");
    }
};

QTEST_APPLESS_MAIN(TextTest)
#include "text_test.moc"
