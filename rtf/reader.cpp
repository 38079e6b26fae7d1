#include "rtf/reader.h"

#include "rtf/codepages.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rtf {
namespace {

// Beyond this a parameter's digits are still consumed but its value no longer grows.
constexpr std::int64_t kMaxParameter = 1'000'000'000;
// What a run or a paragraph costs against kMaxOutputBytes besides its text: about its size in memory.
constexpr std::size_t kRunCharge = 128;
constexpr std::size_t kParagraphCharge = 128;
constexpr std::size_t kMaxFonts = 4096;
constexpr std::size_t kMaxFontNameBytes = 256;
constexpr std::size_t kMaxColours = 4096;
constexpr int kMaxIndent = 31680; // 22 inches in twips, the widest page word processors allow
constexpr int kMaxHalfPoints = 3276;
constexpr int kDefaultHalfPoints = 24;
constexpr int kDefaultCodePage = 1252;
constexpr int kSymbolCodePage = 42; // Windows' own number for the symbol "code page"
constexpr int kUnsupportedCodePage = -1;

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Symbol fonts have no code page. The bytes that matter in a help text are the list bullets word processors
// take from Symbol (0xB7) and Wingdings (0xA7); the rest is left as the Western code page has it.
char32_t decodeSymbolByte(unsigned char byte)
{
    switch (byte) {
    case 0xB7:
        return 0x2022;
    case 0xA7:
        return 0x25AA;
    default:
        return decodeWindowsByte(kDefaultCodePage, byte);
    }
}

char32_t decodeByte(int codePage, unsigned char byte)
{
    return codePage == kSymbolCodePage ? decodeSymbolByte(byte) : decodeWindowsByte(codePage, byte);
}

// 0 means "the document's code page".
int charsetCodePage(int charset)
{
    switch (charset) {
    case 2:
        return kSymbolCodePage;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 238:
        return 1250;
    case 77:  // Mac Roman
    case 128: // Shift-JIS
    case 129: // Hangul
    case 130: // Johab
    case 134: // GB 2312
    case 136: // Big5
    case 222: // Thai
    case 254: // PC 437
    case 255: // OEM
        return kUnsupportedCodePage;
    default:
        return 0;
    }
}

struct Token
{
    enum class Kind
    {
        End,
        Open,
        Close,
        Word,
        Symbol,
        Hex,
        BadHex,
        Text,
    };

    Kind kind = Kind::End;
    std::string_view word;
    bool hasParameter = false;
    int parameter = 0;
    unsigned char byte = 0; // of Text, Hex and Symbol

    static Token of(Kind kind, unsigned char byte = 0)
    {
        Token token;
        token.kind = kind;
        token.byte = byte;
        return token;
    }
};

class Lexer
{
public:
    explicit Lexer(std::string_view input) : m_input(input) {}

    Token next()
    {
        while (m_pos < m_input.size()) {
            const char c = m_input[m_pos++];
            switch (c) {
            case '\r':
            case '\n':
                continue;
            case '{':
                return Token::of(Token::Kind::Open);
            case '}':
                return Token::of(Token::Kind::Close);
            case '\\':
                return control();
            default:
                return Token::of(Token::Kind::Text, static_cast<unsigned char>(c));
            }
        }
        return {};
    }

private:
    Token control()
    {
        if (m_pos >= m_input.size()) {
            return {};
        }
        const char c = m_input[m_pos];
        if (isLetter(c)) {
            return word();
        }
        ++m_pos;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < m_input.size() && hexValue(m_input[m_pos]) >= 0) {
                value = value * 16 + hexValue(m_input[m_pos++]);
                ++digits;
            }
            if (digits < 2) {
                return Token::of(Token::Kind::BadHex);
            }
            return Token::of(Token::Kind::Hex, static_cast<unsigned char>(value));
        }
        return Token::of(Token::Kind::Symbol, static_cast<unsigned char>(c));
    }

    Token word()
    {
        Token token = Token::of(Token::Kind::Word);
        const std::size_t start = m_pos;
        while (m_pos < m_input.size() && isLetter(m_input[m_pos])) {
            ++m_pos;
        }
        token.word = m_input.substr(start, m_pos - start);

        bool negative = false;
        if (m_pos + 1 < m_input.size() && m_input[m_pos] == '-' && isDigit(m_input[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        std::int64_t value = 0;
        while (m_pos < m_input.size() && isDigit(m_input[m_pos])) {
            token.hasParameter = true;
            value = std::min(value * 10 + (m_input[m_pos++] - '0'), kMaxParameter);
        }
        token.parameter = static_cast<int>(negative ? -value : value);
        if (m_pos < m_input.size() && m_input[m_pos] == ' ') {
            ++m_pos;
        }
        // Binary data may hold any byte, braces and backslashes included; no reader looks into it.
        if (token.word == "bin" && token.hasParameter && token.parameter > 0) {
            m_pos += std::min(static_cast<std::size_t>(token.parameter), m_input.size() - m_pos);
        }
        return token;
    }

    std::string_view m_input;
    std::size_t m_pos = 0;
};

enum class Action
{
    Character,
    SkipDestination,
    FontTable,
    ColourTable,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    Font,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    FontSize,
    Colour,
    Hidden,
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustified,
    LeftIndent,
    RightIndent,
    FirstLineIndent,
    SpaceBefore,
    SpaceAfter,
    InTable,
    RowDefaults,
    CellEdge,
    Par,
    Line,
    Tab,
    Break,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    Unicode,
    UnicodeSkip,
};

struct WordEntry
{
    std::string_view name;
    Action action;
    char32_t character = 0;
};

// Sorted by name. Destinations listed as skipped carry no text worth showing (or hold text meant only for
// readers that ignore the rest of the group); words not listed are ignored with their parameter.
constexpr WordEntry kWords[] = {
    {"aftncn", Action::SkipDestination},
    {"aftnsep", Action::SkipDestination},
    {"aftnsepc", Action::SkipDestination},
    {"annotation", Action::SkipDestination},
    {"ansi", Action::Ansi},
    {"ansicpg", Action::AnsiCodePage},
    {"atnauthor", Action::SkipDestination},
    {"atndate", Action::SkipDestination},
    {"atnicn", Action::SkipDestination},
    {"atnid", Action::SkipDestination},
    {"atnparent", Action::SkipDestination},
    {"atnref", Action::SkipDestination},
    {"atntime", Action::SkipDestination},
    {"atrfend", Action::SkipDestination},
    {"atrfstart", Action::SkipDestination},
    {"author", Action::SkipDestination},
    {"b", Action::Bold},
    {"background", Action::SkipDestination},
    {"bkmkend", Action::SkipDestination},
    {"bkmkstart", Action::SkipDestination},
    {"blipuid", Action::SkipDestination},
    {"blue", Action::Blue},
    {"bullet", Action::Character, 0x2022},
    {"buptim", Action::SkipDestination},
    {"category", Action::SkipDestination},
    {"cell", Action::Cell},
    {"cellx", Action::CellEdge},
    {"cf", Action::Colour},
    {"colorschememapping", Action::SkipDestination},
    {"colortbl", Action::ColourTable},
    {"column", Action::Break},
    {"comment", Action::SkipDestination},
    {"company", Action::SkipDestination},
    {"cpg", Action::FontCodePage},
    {"creatim", Action::SkipDestination},
    {"datafield", Action::SkipDestination},
    {"datastore", Action::SkipDestination},
    {"defchp", Action::SkipDestination},
    {"deff", Action::DefaultFont},
    {"defpap", Action::SkipDestination},
    {"do", Action::SkipDestination},
    {"doccomm", Action::SkipDestination},
    {"docvar", Action::SkipDestination},
    {"dptxbxtext", Action::SkipDestination},
    {"emdash", Action::Character, 0x2014},
    {"emspace", Action::Character, 0x2003},
    {"endash", Action::Character, 0x2013},
    {"enspace", Action::Character, 0x2002},
    {"f", Action::Font},
    {"falt", Action::SkipDestination},
    {"fchars", Action::SkipDestination},
    {"fcharset", Action::FontCharset},
    {"ffdeftext", Action::SkipDestination},
    {"ffentrymcr", Action::SkipDestination},
    {"ffexitmcr", Action::SkipDestination},
    {"ffformat", Action::SkipDestination},
    {"ffhelptext", Action::SkipDestination},
    {"ffname", Action::SkipDestination},
    {"ffstattext", Action::SkipDestination},
    {"fi", Action::FirstLineIndent},
    {"file", Action::SkipDestination},
    {"filetbl", Action::SkipDestination},
    {"fldinst", Action::SkipDestination},
    {"fontemb", Action::SkipDestination},
    {"fontfile", Action::SkipDestination},
    {"fonttbl", Action::FontTable},
    {"footer", Action::SkipDestination},
    {"footerf", Action::SkipDestination},
    {"footerl", Action::SkipDestination},
    {"footerr", Action::SkipDestination},
    {"footnote", Action::SkipDestination},
    {"formfield", Action::SkipDestination},
    {"fs", Action::FontSize},
    {"ftncn", Action::SkipDestination},
    {"ftnsep", Action::SkipDestination},
    {"ftnsepc", Action::SkipDestination},
    {"generator", Action::SkipDestination},
    {"green", Action::Green},
    {"header", Action::SkipDestination},
    {"headerf", Action::SkipDestination},
    {"headerl", Action::SkipDestination},
    {"headerr", Action::SkipDestination},
    {"i", Action::Italic},
    {"info", Action::SkipDestination},
    {"intbl", Action::InTable},
    {"keywords", Action::SkipDestination},
    {"latentstyles", Action::SkipDestination},
    {"lchars", Action::SkipDestination},
    {"ldblquote", Action::Character, 0x201C},
    {"li", Action::LeftIndent},
    {"lin", Action::LeftIndent},
    {"line", Action::Line},
    {"listoverridetable", Action::SkipDestination},
    {"listpicture", Action::SkipDestination},
    {"listtable", Action::SkipDestination},
    {"lquote", Action::Character, 0x2018},
    {"ltrmark", Action::Character, 0x200E},
    {"mac", Action::Mac},
    {"mmath", Action::SkipDestination},
    {"mmathPr", Action::SkipDestination},
    {"nestcell", Action::NestedCell},
    {"nestrow", Action::NestedRow},
    {"nesttableprops", Action::SkipDestination},
    {"nextfile", Action::SkipDestination},
    {"nonesttables", Action::SkipDestination},
    {"nonshppict", Action::SkipDestination},
    {"objalias", Action::SkipDestination},
    {"objclass", Action::SkipDestination},
    {"objdata", Action::SkipDestination},
    {"object", Action::SkipDestination},
    {"objname", Action::SkipDestination},
    {"objsect", Action::SkipDestination},
    {"objtime", Action::SkipDestination},
    {"oldcprops", Action::SkipDestination},
    {"oldpprops", Action::SkipDestination},
    {"oldsprops", Action::SkipDestination},
    {"oldtprops", Action::SkipDestination},
    {"operator", Action::SkipDestination},
    {"page", Action::Break},
    {"panose", Action::SkipDestination},
    {"par", Action::Par},
    {"pard", Action::Pard},
    {"password", Action::SkipDestination},
    {"passwordhash", Action::SkipDestination},
    {"pc", Action::Pc},
    {"pca", Action::Pca},
    {"pgdsctbl", Action::SkipDestination},
    {"pgptbl", Action::SkipDestination},
    {"pict", Action::SkipDestination},
    {"plain", Action::Plain},
    {"pn", Action::SkipDestination},
    {"pnseclvl", Action::SkipDestination},
    {"pntxta", Action::SkipDestination},
    {"pntxtb", Action::SkipDestination},
    {"printim", Action::SkipDestination},
    {"private", Action::SkipDestination},
    {"protusertbl", Action::SkipDestination},
    {"pxe", Action::SkipDestination},
    {"qc", Action::AlignCentre},
    {"qd", Action::AlignJustified},
    {"qj", Action::AlignJustified},
    {"ql", Action::AlignLeft},
    {"qmspace", Action::Character, 0x2005},
    {"qr", Action::AlignRight},
    {"rdblquote", Action::Character, 0x201D},
    {"red", Action::Red},
    {"result", Action::SkipDestination},
    {"revtbl", Action::SkipDestination},
    {"revtim", Action::SkipDestination},
    {"ri", Action::RightIndent},
    {"rin", Action::RightIndent},
    {"row", Action::Row},
    {"rquote", Action::Character, 0x2019},
    {"rsidtbl", Action::SkipDestination},
    {"rtlmark", Action::Character, 0x200F},
    {"rxe", Action::SkipDestination},
    {"sa", Action::SpaceAfter},
    {"sb", Action::SpaceBefore},
    {"sect", Action::Break},
    {"shp", Action::SkipDestination},
    {"shpgrp", Action::SkipDestination},
    {"shpinst", Action::SkipDestination},
    {"shppict", Action::SkipDestination},
    {"shprslt", Action::SkipDestination},
    {"shptxt", Action::SkipDestination},
    {"sn", Action::SkipDestination},
    {"sp", Action::SkipDestination},
    {"strike", Action::Strike},
    {"striked", Action::Strike},
    {"stylesheet", Action::SkipDestination},
    {"subject", Action::SkipDestination},
    {"sv", Action::SkipDestination},
    {"tab", Action::Tab},
    {"tc", Action::SkipDestination},
    {"template", Action::SkipDestination},
    {"themedata", Action::SkipDestination},
    {"title", Action::SkipDestination},
    {"trowd", Action::RowDefaults},
    {"txe", Action::SkipDestination},
    {"u", Action::Unicode},
    {"uc", Action::UnicodeSkip},
    {"ud", Action::SkipDestination},
    {"ul", Action::Underline},
    {"uld", Action::Underline},
    {"uldash", Action::Underline},
    {"uldashd", Action::Underline},
    {"uldashdd", Action::Underline},
    {"uldb", Action::Underline},
    {"ulhwave", Action::Underline},
    {"ulldash", Action::Underline},
    {"ulnone", Action::UnderlineNone},
    {"ulth", Action::Underline},
    {"ulthd", Action::Underline},
    {"ulthdash", Action::Underline},
    {"ulthdashd", Action::Underline},
    {"ulthdashdd", Action::Underline},
    {"ulthldash", Action::Underline},
    {"ululdbwave", Action::Underline},
    {"ulw", Action::Underline},
    {"ulwave", Action::Underline},
    {"upr", Action::SkipDestination},
    {"userprops", Action::SkipDestination},
    {"v", Action::Hidden},
    {"wgrffmtfilter", Action::SkipDestination},
    {"windowcaption", Action::SkipDestination},
    {"writereservation", Action::SkipDestination},
    {"writereservhash", Action::SkipDestination},
    {"xe", Action::SkipDestination},
    {"xform", Action::SkipDestination},
    {"xmlattrname", Action::SkipDestination},
    {"xmlattrvalue", Action::SkipDestination},
    {"xmlclose", Action::SkipDestination},
    {"xmlname", Action::SkipDestination},
    {"xmlnstbl", Action::SkipDestination},
    {"xmlopen", Action::SkipDestination},
    {"zwbo", Action::Character, 0x200B},
    {"zwj", Action::Character, 0x200D},
    {"zwnj", Action::Character, 0x200C},
};

static_assert(std::is_sorted(std::begin(kWords), std::end(kWords),
                             [](const WordEntry& a, const WordEntry& b) { return a.name < b.name; }));

const WordEntry* findWord(std::string_view name)
{
    const auto* found = std::lower_bound(std::begin(kWords), std::end(kWords), name,
                                         [](const WordEntry& entry, std::string_view n) { return entry.name < n; });
    return found != std::end(kWords) && found->name == name ? found : nullptr;
}

enum class Destination
{
    Body,
    FontTable,
    ColourTable,
};

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    bool hidden = false;
    int halfPoints = kDefaultHalfPoints;
    int colour = -1; // index into the colour table; -1: none chosen
    int font = -1;   // font number; -1: the document's default font

    bool operator==(const CharState&) const = default;
};

struct ParaState
{
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    bool inTable = false;
};

struct GroupState
{
    CharState chars;
    ParaState para;
    Destination destination = Destination::Body;
    int unicodeSkip = 1;
};

struct Font
{
    std::string name;
    int codePage = 0; // 0: the document's
};

class Parser
{
public:
    explicit Parser(std::string_view input) : m_lexer(input) {}

    Result run()
    {
        m_groups.reserve(64);
        while (!m_done && !m_stopped) {
            const Token token = m_lexer.next();
            if (token.kind == Token::Kind::End) {
                break;
            }
            if (m_fallbackLeft > 0) {
                // A group boundary ends a fallback early; anything else is one of its characters.
                if (token.kind != Token::Kind::Open && token.kind != Token::Kind::Close) {
                    --m_fallbackLeft;
                    continue;
                }
                m_fallbackLeft = 0;
            }
            handle(token);
        }
        flushSurrogate();
        if (!m_paragraph.runs.empty() || m_rowOpen) {
            finishParagraph();
        }
        Result result;
        result.document = std::move(m_document);
        result.truncated = m_stopped;
        return result;
    }

private:
    GroupState& state() { return m_groups.back(); }

    void handle(const Token& token)
    {
        switch (token.kind) {
        case Token::Kind::Open:
            openGroup();
            break;
        case Token::Kind::Close:
            closeGroup();
            break;
        case Token::Kind::Word:
            word(token);
            break;
        case Token::Kind::Symbol:
            symbol(token.byte);
            break;
        case Token::Kind::Hex:
            byte(token.byte, true);
            break;
        case Token::Kind::Text:
            byte(token.byte, false);
            break;
        case Token::Kind::BadHex:
        case Token::Kind::End:
            break;
        }
    }

    void openGroup()
    {
        if (m_groups.empty()) { // the document's own group: parse() makes sure it comes first
            m_groups.emplace_back();
            return;
        }
        if (m_groups.size() >= static_cast<std::size_t>(kMaxGroupDepth)) {
            skipRestOfGroup();
            return;
        }
        m_groups.push_back(m_groups.back());
    }

    void closeGroup()
    {
        if (m_groups.size() <= 1) {
            m_done = true; // the outermost group ends the document
            return;
        }
        if (state().destination == Destination::FontTable) {
            commitFont();
        }
        m_groups.pop_back();
    }

    // Consumes everything up to and including the '}' that closes the innermost open group.
    void skipRestOfGroup()
    {
        std::size_t depth = 1;
        for (;;) {
            const Token token = m_lexer.next();
            if (token.kind == Token::Kind::End) {
                return;
            }
            if (token.kind == Token::Kind::Open) {
                ++depth;
            } else if (token.kind == Token::Kind::Close && --depth == 0) {
                return;
            }
        }
    }

    void skipDestination()
    {
        if (m_groups.size() <= 1) {
            return; // skipping the outermost group would drop the whole document
        }
        skipRestOfGroup();
        m_groups.pop_back();
    }

    void symbol(unsigned char c)
    {
        switch (c) {
        case '*':
            skipDestination();
            break;
        case '~':
            character(0x00A0);
            break;
        case '_':
            character(0x2011);
            break;
        case '{':
        case '}':
        case '\\':
            character(c);
            break;
        case '\r':
        case '\n':
            if (state().destination == Destination::Body) {
                paragraphBreak();
            }
            break;
        case '-': // an optional hyphen: the layout may break the word there
            character(0x00AD);
            break;
        default: // \| and \: among them
            break;
        }
    }

    void word(const Token& token)
    {
        const WordEntry* entry = token.word.size() <= 32 ? findWord(token.word) : nullptr;
        if (!entry) {
            return;
        }
        const bool on = !token.hasParameter || token.parameter != 0;
        const int p = token.parameter;
        GroupState& s = state();

        switch (entry->action) {
        case Action::SkipDestination:
            skipDestination();
            return;
        case Action::FontTable:
            s.destination = Destination::FontTable;
            return;
        case Action::ColourTable:
            s.destination = Destination::ColourTable;
            return;
        case Action::Unicode:
            if (token.hasParameter) {
                unicode(p);
            }
            return;
        case Action::UnicodeSkip:
            s.unicodeSkip = std::max(p, 0);
            return;
        case Action::Character:
            character(entry->character);
            return;
        default:
            break;
        }

        if (s.destination == Destination::FontTable) {
            fontTableWord(entry->action, token);
            return;
        }
        if (s.destination == Destination::ColourTable) {
            const int component = std::clamp(p, 0, 255);
            switch (entry->action) {
            case Action::Red:
                m_red = component;
                m_colourGiven = true;
                break;
            case Action::Green:
                m_green = component;
                m_colourGiven = true;
                break;
            case Action::Blue:
                m_blue = component;
                m_colourGiven = true;
                break;
            default:
                break;
            }
            return;
        }
        switch (entry->action) {
        case Action::Ansi:
            m_codePage = kDefaultCodePage;
            break;
        case Action::Mac:
        case Action::Pc:
        case Action::Pca:
            m_codePage = kUnsupportedCodePage;
            break;
        case Action::AnsiCodePage:
            m_codePage = p > 0 ? p : kDefaultCodePage;
            break;
        case Action::DefaultFont:
            m_defaultFont = p;
            break;
        case Action::Font:
            s.chars.font = p;
            break;
        case Action::Plain:
            s.chars = CharState{};
            break;
        case Action::Bold:
            s.chars.bold = on;
            break;
        case Action::Italic:
            s.chars.italic = on;
            break;
        case Action::Underline:
            s.chars.underline = on;
            break;
        case Action::UnderlineNone:
            s.chars.underline = false;
            break;
        case Action::Strike:
            s.chars.strikeThrough = on;
            break;
        case Action::Hidden:
            s.chars.hidden = on;
            break;
        case Action::FontSize:
            s.chars.halfPoints = p > 0 ? std::clamp(p, 2, kMaxHalfPoints) : kDefaultHalfPoints;
            break;
        case Action::Colour:
            s.chars.colour = p;
            break;
        case Action::Pard:
            s.para = ParaState{};
            break;
        case Action::AlignLeft:
            s.para.alignment = Alignment::Left;
            break;
        case Action::AlignCentre:
            s.para.alignment = Alignment::Centre;
            break;
        case Action::AlignRight:
            s.para.alignment = Alignment::Right;
            break;
        case Action::AlignJustified:
            s.para.alignment = Alignment::Justified;
            break;
        case Action::LeftIndent:
            s.para.leftIndent = std::clamp(p, -kMaxIndent, kMaxIndent);
            break;
        case Action::RightIndent:
            s.para.rightIndent = std::clamp(p, -kMaxIndent, kMaxIndent);
            break;
        case Action::FirstLineIndent:
            s.para.firstLineIndent = std::clamp(p, -kMaxIndent, kMaxIndent);
            break;
        case Action::SpaceBefore:
            s.para.spaceBefore = std::clamp(p, 0, kMaxIndent);
            break;
        case Action::SpaceAfter:
            s.para.spaceAfter = std::clamp(p, 0, kMaxIndent);
            break;
        case Action::InTable:
            s.para.inTable = on;
            break;
        case Action::RowDefaults:
            m_rowEdges.clear();
            break;
        case Action::CellEdge:
            if (m_rowEdges.size() < kMaxCellsPerRow) {
                m_rowEdges.push_back(std::clamp(p, -kMaxIndent, kMaxIndent));
            }
            break;
        case Action::Par:
            paragraphBreak();
            break;
        case Action::Break:
            finishParagraph();
            break;
        case Action::Line:
            append("\n");
            break;
        case Action::Tab:
            append("\t");
            break;
        case Action::Cell:
            m_rowOpen = true;
            ++m_separatorsOwed;
            break;
        case Action::Row:
            endRow();
            break;
        case Action::NestedCell:
            append("\t");
            break;
        case Action::NestedRow:
            append("\n");
            break;
        default:
            break;
        }
    }

    void fontTableWord(Action action, const Token& token)
    {
        switch (action) {
        case Action::Font:
            commitFont();
            m_pendingFontNumber = token.parameter;
            m_pendingFont = Font{};
            break;
        case Action::FontCharset:
            if (m_pendingFont) {
                m_pendingFont->codePage = charsetCodePage(token.parameter);
            }
            break;
        case Action::FontCodePage:
            if (m_pendingFont && token.parameter > 0) {
                m_pendingFont->codePage = token.parameter;
            }
            break;
        default:
            break;
        }
    }

    void commitFont()
    {
        if (!m_pendingFont) {
            return;
        }
        std::string& name = m_pendingFont->name;
        const auto first = name.find_first_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);
        if (m_fonts.size() < kMaxFonts) {
            m_fonts.emplace(m_pendingFontNumber, std::move(*m_pendingFont));
        }
        m_pendingFont.reset();
    }

    int fontCodePage(int fontNumber) const
    {
        const auto found = m_fonts.find(fontNumber < 0 ? m_defaultFont : fontNumber);
        return found == m_fonts.end() || found->second.codePage == 0 ? m_codePage : found->second.codePage;
    }

    int currentCodePage() const
    {
        const GroupState& s = m_groups.back();
        if (s.destination == Destination::FontTable) {
            return m_pendingFont && m_pendingFont->codePage != 0 ? m_pendingFont->codePage : m_codePage;
        }
        return fontCodePage(s.chars.font);
    }

    void byte(unsigned char c, bool escaped)
    {
        const Destination destination = state().destination;
        if (!escaped && c == ';') {
            if (destination == Destination::FontTable) {
                commitFont();
                return;
            }
            if (destination == Destination::ColourTable) {
                commitColour();
                return;
            }
        }
        if (destination == Destination::ColourTable) {
            return;
        }
        character(c < 0x80 ? c : decodeByte(currentCodePage(), c));
    }

    void commitColour()
    {
        if (m_colours.size() < kMaxColours) {
            m_colours.push_back(m_colourGiven ? std::optional<Rgb>(Rgb{static_cast<std::uint8_t>(m_red),
                                                                       static_cast<std::uint8_t>(m_green),
                                                                       static_cast<std::uint8_t>(m_blue)})
                                              : std::nullopt);
        }
        m_red = m_green = m_blue = 0;
        m_colourGiven = false;
    }

    void unicode(int value)
    {
        m_fallbackLeft = state().unicodeSkip;
        char32_t c = static_cast<char32_t>(value < 0 ? value + 65536 : value);
        if (value < -32768 || value > 0xFFFF) {
            c = kReplacementCharacter;
        } else if (c >= 0xF020 && c <= 0xF0FF && currentCodePage() == kSymbolCodePage) {
            c = decodeSymbolByte(static_cast<unsigned char>(c - 0xF000)); // how symbol fonts reach Unicode
        }
        character(c);
    }

    // Pairs UTF-16 surrogates from consecutive \u; one left alone is replaced.
    void character(char32_t c)
    {
        if (c >= 0xD800 && c <= 0xDBFF) {
            flushSurrogate();
            m_highSurrogate = c;
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            if (m_highSurrogate) {
                c = 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (c - 0xDC00);
                m_highSurrogate = 0;
            } else {
                c = kReplacementCharacter;
            }
        } else {
            flushSurrogate();
        }
        emit(c);
    }

    void flushSurrogate()
    {
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            emit(kReplacementCharacter);
        }
    }

    void emit(char32_t c)
    {
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return;
        }
        const GroupState& s = state();
        std::string utf8;
        appendUtf8(utf8, c);
        if (s.destination == Destination::FontTable) {
            if (m_pendingFont && m_pendingFont->name.size() + utf8.size() <= kMaxFontNameBytes) {
                m_pendingFont->name += utf8;
            }
        } else if (s.destination == Destination::Body && !s.chars.hidden) {
            append(utf8);
        }
    }

    void append(std::string_view text)
    {
        flushSurrogate();
        if (state().para.inTable) {
            m_rowOpen = true;
        }
        if (m_separatorsOwed > 0) {
            const std::size_t owed = m_separatorsOwed;
            m_separatorsOwed = 0;
            appendSeparators(owed);
        }
        appendToRun(text);
    }

    void appendSeparators(std::size_t count)
    {
        for (std::size_t i = 0; i < count && !m_stopped; ++i) {
            appendToRun("\t");
            if (m_cellStarts.size() + 1 < kMaxCellsPerRow) {
                m_cellStarts.push_back(m_textBytes);
            }
        }
    }

    void appendToRun(std::string_view text)
    {
        if (m_stopped) {
            return;
        }
        const CharState& chars = state().chars;
        if (m_paragraph.runs.empty() || (chars != m_runChars && !looksTheSame(chars, m_runChars))) {
            Run run{{}, format(chars)};
            charge(kRunCharge + run.format.fontFamily.size());
            m_paragraph.runs.push_back(std::move(run));
            m_runChars = chars;
        }
        charge(text.size());
        m_paragraph.runs.back().text += text;
        m_textBytes += text.size();
    }

    std::optional<Rgb> colourOf(const CharState& chars) const
    {
        if (chars.colour >= 0 && static_cast<std::size_t>(chars.colour) < m_colours.size()) {
            return m_colours[static_cast<std::size_t>(chars.colour)];
        }
        return std::nullopt;
    }

    const Font* fontOf(const CharState& chars) const
    {
        const auto found = m_fonts.find(chars.font < 0 ? m_defaultFont : chars.font);
        return found == m_fonts.end() ? nullptr : &found->second;
    }

    // Whether two states give the same CharFormat, without building it.
    bool looksTheSame(const CharState& a, const CharState& b) const
    {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.strikeThrough == b.strikeThrough && a.halfPoints == b.halfPoints && colourOf(a) == colourOf(b) &&
               fontOf(a) == fontOf(b);
    }

    CharFormat format(const CharState& chars) const
    {
        CharFormat f;
        f.bold = chars.bold;
        f.italic = chars.italic;
        f.underline = chars.underline;
        f.strikeThrough = chars.strikeThrough;
        f.halfPoints = chars.halfPoints;
        f.colour = colourOf(chars);
        if (const Font* font = fontOf(chars)) {
            f.fontFamily = font->name;
        }
        return f;
    }

    void charge(std::size_t bytes)
    {
        m_charged += bytes;
        if (m_charged > kMaxOutputBytes) {
            m_stopped = true;
        }
    }

    // Inside a table a paragraph mark only breaks the line: the whole row stays one paragraph.
    void paragraphBreak()
    {
        if (state().para.inTable) {
            append("\n");
        } else {
            finishParagraph();
        }
    }

    void endRow()
    {
        if (!m_rowOpen && m_paragraph.runs.empty()) {
            return;
        }
        // The last \cell leaves one separator owed for a cell that never comes.
        if (m_separatorsOwed > 1) {
            appendSeparators(m_separatorsOwed - 1);
        }
        m_rowOpen = true;
        finishParagraph();
    }

    void finishParagraph()
    {
        flushSurrogate();
        const ParaState& para = state().para;
        m_paragraph.alignment = para.alignment;
        m_paragraph.leftIndent = para.leftIndent;
        m_paragraph.rightIndent = para.rightIndent;
        m_paragraph.firstLineIndent = para.firstLineIndent;
        m_paragraph.spaceBefore = para.spaceBefore;
        m_paragraph.spaceAfter = para.spaceAfter;
        if (m_rowOpen) {
            m_paragraph.cellStarts.push_back(0);
            m_paragraph.cellStarts.insert(m_paragraph.cellStarts.end(), m_cellStarts.begin(), m_cellStarts.end());
            m_paragraph.cellRightEdges = m_rowEdges;
        }
        charge(kParagraphCharge + m_paragraph.cellStarts.size() * sizeof(std::size_t) +
               m_paragraph.cellRightEdges.size() * sizeof(int));
        m_document.paragraphs.push_back(std::move(m_paragraph));
        m_paragraph = Paragraph{};
        m_rowOpen = false;
        m_separatorsOwed = 0;
        m_cellStarts.clear();
        m_textBytes = 0;
    }

    Lexer m_lexer;
    std::vector<GroupState> m_groups;
    bool m_done = false;
    bool m_stopped = false;
    std::size_t m_charged = 0;

    int m_codePage = kDefaultCodePage;
    int m_defaultFont = 0;
    std::map<int, Font> m_fonts;
    std::optional<Font> m_pendingFont;
    int m_pendingFontNumber = 0;
    std::vector<std::optional<Rgb>> m_colours;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colourGiven = false;

    int m_fallbackLeft = 0;
    char32_t m_highSurrogate = 0;

    Document m_document;
    Paragraph m_paragraph;
    CharState m_runChars;
    bool m_rowOpen = false;
    std::size_t m_separatorsOwed = 0;
    std::size_t m_textBytes = 0;           // of m_paragraph
    std::vector<std::size_t> m_cellStarts; // of m_paragraph's cells after its first
    std::vector<int> m_rowEdges;           // since the last \trowd
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

Result parse(std::string_view bytes)
{
    std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && isBlank(bytes[start])) {
        ++start;
    }
    if (!bytes.substr(start).starts_with("{\\rtf")) {
        Result result;
        result.error = "not an RTF document";
        return result;
    }
    const bool tooLong = bytes.size() > kMaxInputBytes;
    Result result = Parser(bytes.substr(start, kMaxInputBytes - std::min(start, kMaxInputBytes))).run();
    result.truncated = result.truncated || tooLong;
    return result;
}

} // namespace rtf
