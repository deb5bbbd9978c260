// Writes the page: its template with the program's four windows, made from
// their one description (story/windows.h), in place of the template's
// @WINDOWS@ line. Every caption, place, colour and name a player or a screen
// reader meets in a window comes from there; the page adds only what a
// browser needs on top (roles, input attributes).
//   node make_page.js TEMPLATE OUTPUT
#include "engine/program.h"
#include "story/story.h"
#include "story/windows.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using namespace tarnvale;
using windows::Form;
using windows::Kind;
using windows::Widget;

// UTF-16 as UTF-8, escaped for an element's text or a quoted attribute. The
// windows' CR LF line breaks are the page's LF.
std::string html(std::u16string_view text)
{
    std::string out;
    const auto put = [&out](char32_t c) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xc0 | (c >> 6));
            out += char(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            out += char(0xe0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        } else {
            out += char(0xf0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3f));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] < 0xe000)
            c = 0x10000 + ((c - 0xd800) << 10) + (char32_t(text[++i]) - 0xdc00);
        else if (c >= 0xd800 && c < 0xe000)
            c = 0xfffd;   // a lone half of a pair
        switch (c) {
        case U'&': out += "&amp;"; break;
        case U'<': out += "&lt;"; break;
        case U'>': out += "&gt;"; break;
        case U'"': out += "&quot;"; break;
        case U'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                break;
            out += '\n';
            break;
        default: put(c);
        }
    }
    return out;
}

std::string rect(const windows::Rect &r)
{
    return std::to_string(r.left) + ',' + std::to_string(r.top) + ',' + std::to_string(r.width) + ','
           + std::to_string(r.height);
}

std::string colour(windows::Colour c)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.r, c.g, c.b);
    return hex;
}

// The input box whose line a label stands on (the prompt before the command
// box), so that the page can centre both alike.
const Widget *inputOnLineOf(const Form &form, const Widget &label)
{
    for (const Widget &w : form.widgets) {
        if (w.kind == Kind::Input && label.rect.top >= w.rect.top && label.rect.top < w.rect.top + w.rect.height
            && w.rect.left >= label.rect.left + label.rect.width)
            return &w;
    }
    return nullptr;
}

bool isChoice(const Widget &w) { return w.kind == Kind::Choice; }

const windows::ChoicePair *pairOf(Control control)
{
    for (const windows::ChoicePair &pair : windows::kDescription.choicePairs) {
        if (pair.first == control || pair.second == control)
            return &pair;
    }
    return nullptr;
}

bool isHeading(std::string_view name)
{
    for (const windows::ChoicePair &pair : windows::kDescription.choicePairs) {
        if (pair.heading == name)
            return true;
    }
    return false;
}

class Page {
public:
    // `opening` is the program's view as it starts: the page shows its
    // windows and choices as they are then, before the engine has loaded.
    Page(std::ostream &out, const View &opening) : m_out(out), m_opening(opening) {}

    void form(const Form &form)
    {
        m_form = &form;
        // The game window is the page's main part; the other three are
        // dialogs over it.
        const bool main = form.window == Window::Game;
        m_out << "<section id=\"" << form.name << "\" class=\"form\" role=\"" << (main ? "region" : "dialog")
              << "\" aria-label=\"" << html(form.accessibleName) << '"';
        // Help and author are described by their own text, which a screen
        // reader reads as the keyboard comes into them.
        m_describedByText = form.window == Window::Help || form.window == Window::Author;
        if (m_describedByText) {
            std::string ids;
            for (const Widget &w : form.widgets) {
                if (w.kind == Kind::Label || w.kind == Kind::WrappedLabel)
                    ids += (ids.empty() ? "" : " ") + id(w.name);
            }
            m_out << " aria-describedby=\"" << ids << '"';
        } else {
            m_out << " aria-description=\"" << html(form.description) << '"';
        }
        m_out << " data-w=\"" << form.width
              << "\" data-h=\"" << form.height << '"';
        m_out << (m_opening.find(form.window) ? ">\n" : " hidden>\n");

        bool inInventory = false;
        for (const Widget &w : form.widgets) {
            // The ten inventory slots make one list.
            if ((w.kind == Kind::InventorySlot) != inInventory) {
                inInventory = !inInventory;
                // One stop for the keyboard, read whole: what the player carries.
                m_out << (inInventory ? "  <ul class=\"inventory\" tabindex=\"0\" aria-label=\"" + html(windows::kDescription.inventoryName)
                                            + "\">\n"
                                      : std::string("  </ul>\n"));
            }
            if (isChoice(w)) {
                const windows::ChoicePair *pair = pairOf(w.control);
                if (pair && w.control == pair->first)
                    choicePair(*pair);
                else if (!pair)
                    widget(w, "  ");
                continue;
            }
            widget(w, inInventory ? "    " : "  ");
        }
        if (inInventory)
            m_out << "  </ul>\n";
        // The frame goes over the widgets, as it is drawn over them.
        m_out << "  <div class=\"outline\" data-r=\"" << rect(form.outline) << "\" aria-hidden=\"true\"></div>\n";
        m_out << "</section>\n\n";
    }

private:
    std::string id(std::string_view widgetName) const
    {
        return std::string(m_form->name) + '-' + std::string(widgetName);
    }

    // A pair of choices is a radio group, named by its heading.
    void choicePair(const windows::ChoicePair &pair)
    {
        m_out << "  <div role=\"radiogroup\" aria-labelledby=\"" << id(pair.heading) << "\">\n";
        for (const Control c : {pair.first, pair.second}) {
            if (const Widget *w = m_form->find(c))
                widget(*w, "    ");
        }
        m_out << "  </div>\n";
    }

    void widget(const Widget &w, std::string_view indent)
    {
        std::string tag = "div";
        std::string classes = "label";
        std::string role;
        std::string extra;
        bool named = !w.accessibleName.empty();   // worth an aria-label of its own
        switch (w.kind) {
        case Kind::TitleStrip:
            // It drags its window with the mouse and is nothing to a screen
            // reader; the pointer's tooltip gives the hint.
            m_out << indent << "<div class=\"titlebar\" data-name=\"" << w.name << "\" data-r=\"" << rect(w.rect)
                  << "\" title=\"" << html(w.description) << "\" aria-hidden=\"true\"></div>\n";
            return;
        case Kind::Counter:
            // The counters can be reached from the keyboard and read. What
            // they show changes as the game goes: it stays on its one line,
            // ending in «…» where a row too short for it ends.
            classes += " cut";
            extra += " tabindex=\"0\"";
            [[fallthrough]];
        case Kind::Label:
        case Kind::Prompt:
            if (const Widget *input = inputOnLineOf(*m_form, w)) {
                classes += " prompt";
                extra += " data-line=\"" + std::string(input->name) + '"';
            }
            // A label with a name of its own is a named group around its caption.
            if (named)
                role = "group";
            break;
        case Kind::WrappedLabel:
            classes += " wrap";
            if (named)
                role = "group";
            break;
        case Kind::InventorySlot:
            // An empty slot is no item of the list.
            tag = "li";
            named = false;
            break;
        case Kind::Button:
            tag = "button";
            extra += " type=\"button\"";
            named = true;
            break;
        case Kind::Choice: {
            tag = "button";
            role = "radio";
            const WidgetView *viewed = m_opening.find(m_form->window, w.name);
            const bool chosen = viewed && viewed->chosen;
            extra += chosen ? " type=\"button\" aria-checked=\"true\"" : " type=\"button\" aria-checked=\"false\"";
            if (!chosen)
                classes += " off";
            named = true;
            break;
        }
        case Kind::Note:
            classes += " note";
            role = "note";
            break;
        case Kind::Output:
            // Read as text, by line or whole; the answers themselves are
            // told through the page's announcer.
            classes = "output";
            role = "region";
            extra += " tabindex=\"0\"";
            break;
        case Kind::Input:
            // The box over another one starts hidden; the game shows one at a time.
            tag = "input";
            classes = "box";
            extra += " type=\"text\" autocomplete=\"off\" autocapitalize=\"off\" autocorrect=\"off\""
                     " spellcheck=\"false\" enterkeyhint=\"send\"";
            if (liesOverAnEarlierInput(w))
                extra += " hidden";
            break;
        case Kind::List:
            // The easy game's dictionary is never shown; the engine keeps it.
            tag = "ul";
            classes = "list";
            extra += " hidden";
            break;
        case Kind::Separator:
            classes = "line";
            role = "separator";
            break;
        }
        if (w.handPointer())
            classes += " hand";
        if (isHeading(w.name) || (m_describedByText && (w.kind == Kind::Label || w.kind == Kind::WrappedLabel)))
            extra += " id=\"" + id(w.name) + '"';

        m_out << indent << '<' << tag << " class=\"" << classes << "\" data-name=\"" << w.name << "\" data-r=\""
              << rect(w.rect) << '"';
        if (!role.empty())
            m_out << " role=\"" << role << '"';
        // What the program does with a press is its own: the page names the
        // button and the window.
        if (w.control != Control::None)
            m_out << " data-press";
        if (w.control != Control::None && w.control == m_form->keyboardControl)
            m_out << " data-keyboard";
        if (w.colour != windows::kWhite)
            m_out << " style=\"color: " << colour(w.colour) << '"';
        if (named)
            m_out << " aria-label=\"" << html(w.spokenName()) << '"';
        if (!w.description.empty())
            m_out << " aria-description=\"" << html(w.description) << '"';
        m_out << extra << '>';
        if (tag != "input")
            m_out << html(w.caption) << "</" << tag << '>';
        m_out << '\n';
    }

    bool liesOverAnEarlierInput(const Widget &box) const
    {
        for (const Widget &w : m_form->widgets) {
            if (&w == &box)
                return false;
            if (w.kind == Kind::Input && w.rect.left == box.rect.left && w.rect.top == box.rect.top)
                return true;
        }
        return false;
    }

    std::ostream &m_out;
    const View &m_opening;
    const Form *m_form = nullptr;
    bool m_describedByText = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_page TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "make_page: cannot read " << argv[1] << '\n';
        return 1;
    }
    std::ostringstream page;
    bool placed = false;
    for (std::string line; std::getline(in, line);) {
        if (line == "@FACTS@") {
            // The windows' facts for the style sheet and the script, once.
            page << "<style>:root { --white: " << colour(windows::kWhite) << "; --black: " << colour(windows::kBlack)
                 << "; --grey: " << colour(windows::kGrey) << "; --unchosen: " << colour(windows::kUnchosen)
                 << "; --twips-per-pixel: " << windows::kTwipsPerPixel << "; --gap: " << windows::kGapPixels
                 << "; --text-size: " << windows::kTextPixels << "; }</style>\n";
        } else if (line == "@WINDOWS@") {
            GameSettings settings;
            Program opening(settings, tarnvaleStory());
            opening.start(0);
            Page windowsOut(page, opening.view());
            for (const Window w : kWindows)
                windowsOut.form(windows::form(w));
            placed = true;
        } else {
            page << line << '\n';
        }
    }
    if (!placed) {
        std::cerr << "make_page: " << argv[1] << " has no @WINDOWS@ line\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << page.str();
    out.close();
    if (!out) {
        std::cerr << "make_page: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
