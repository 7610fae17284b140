// bookmodel.h: the book view's rows as a reader sees them, for the tests
// and the fuzzers to hold the program's block-wise cut against: a model
// that cuts the whole text a letter at a time, told which line feeds join;
// the program's own rows; and hard-wrapped texts built paragraph by
// paragraph, which know which of their line feeds are inside a paragraph.
#ifndef TOMO_TEST_BOOKMODEL_H
#define TOMO_TEST_BOOKMODEL_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "glyphs.h"
#include "tomo.h"
#include "viewer.h"

namespace testutil {

// One row: what it draws, and its bytes [start, next).
struct BookRowModel {
    std::string drawn;
    size_t start, next;
    bool operator==(const BookRowModel &o) const {
        return drawn == o.drawn && start == o.start && next == o.next;
    }
};

inline std::ostream &operator<<(std::ostream &os, const BookRowModel &r) {
    return os << "[" << r.start << "," << r.next << ") \"" << r.drawn << "\"";
}

// The letter at text[i]: its bytes, and its cells in *cells.
inline int Letter(const std::string &text, size_t i, int *cells) {
    return LetterAt(text.data() + i, static_cast<int>(text.size() - i), cells);
}

// The rows of text, given which line feeds join (by their offset). A row
// takes letters while their cells fit in TEXT_COLS (and their bytes in its
// buffer); a CR is nothing, a tab reaches the next multiple of 8 columns, a
// joined line feed is a space, any other ends the row, as the text's end
// does. A row with no room for its next letter ends at its last space or
// joined line feed, else right there, taking along a line feed that
// follows.
inline std::vector<BookRowModel> BookModelRows(const std::string &text,
                                               const std::function<bool(size_t)> &joins) {
    const int room = BOOK_ROW_SIZE - 1;
    std::vector<BookRowModel> rows;
    size_t i = 0;
    while (i < text.size()) {
        BookRowModel row{"", i, i};
        int col = 0, cells = 0;
        long brk = -1;
        size_t brk_drawn = 0;
        bool full = false;
        while (i < text.size() && !full) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\r') {
                i++;
            } else if (c == '\n' && col < TEXT_COLS && !joins(i)) {
                i++;
                break;
            } else if (c == '\n' || c == '\t' || c == ' ') {
                int w = c != '\t' ? 1 : std::min((col / TAB_COLS + 1) * TAB_COLS, int(TEXT_COLS)) - col;
                full = col + w > TEXT_COLS || w == 0 || int(row.drawn.size()) + w > room;
                if (full) break;
                if (c != '\t') brk = long(i) + 1, brk_drawn = row.drawn.size();
                row.drawn.append(size_t(w), ' ');
                col += w;
                i++;
            } else {
                int len = Letter(text, i, &cells);
                full = (cells > 0 && col + cells > TEXT_COLS) || int(row.drawn.size()) + len > room;
                if (full) break;
                row.drawn.append(text, i, size_t(len));
                col += cells;
                i += size_t(len);
            }
        }
        if (full) {
            if (brk >= 0) {
                i = size_t(brk);
                row.drawn.resize(brk_drawn);
            } else {
                while (i < text.size() && text[i] == '\r') i++;
                if (i < text.size() && text[i] == '\n') i++;
            }
        }
        row.next = i;
        // drawn up to a NUL, as a plain line is
        row.drawn.resize(strlen(row.drawn.c_str()));
        rows.push_back(row);
    }
    return rows;
}

// The row (or plain line) that holds byte offset: the last that starts at
// or before it; 0 before the first.
template <class Row>
int Holding(const std::vector<Row> &rows, size_t offset) {
    auto after = std::upper_bound(rows.begin(), rows.end(), offset,
                                  [](size_t at, const Row &r) { return at < r.start; });
    return after == rows.begin() ? 0 : static_cast<int>(after - rows.begin()) - 1;
}

// The line feeds that a cut read as spaces: those inside a row's bytes.
// (One that a row was cut at reads the same as a break.)
inline std::function<bool(size_t)> JoinedInside(const std::vector<BookRowModel> &rows) {
    return [&rows](size_t q) { return !rows.empty() && q >= rows[0].start && q + 1 < rows[Holding(rows, q)].next; };
}

// The words of the book view's index file of a text of size bytes cut
// into rows, with saved row `saved`.
inline std::vector<int32_t> BookIndex(const std::vector<BookRowModel> &rows, size_t size, int32_t saved) {
    std::vector<int32_t> words{saved, static_cast<int32_t>(rows.size())};
    for (const BookRowModel &r : rows) words.push_back(static_cast<int32_t>(r.start));
    words.push_back(static_cast<int32_t>(size));
    return words;
}

// The program's rows of the text at path from offset `from` (0, or where a
// row starts), through a block of cap bytes; `most` of them at most.
inline std::vector<BookRowModel> BookRows(const std::string &path, int wrap, int cap = MEASURE_BLOCK_SIZE,
                                          size_t from = 0, size_t most = SIZE_MAX) {
    std::vector<BookRowModel> rows;
    std::vector<char> block(static_cast<size_t>(cap));
    char str[BOOK_ROW_SIZE];
    LineReader r;
    if (!OpenBookReader(&r, path.c_str(), static_cast<int64_t>(from), block.data(), cap, wrap)) return rows;
    for (size_t at = from; rows.size() < most && ReadBookRow(&r, str); at = static_cast<size_t>(LineReaderOffset(&r)))
        rows.push_back({str, at, static_cast<size_t>(LineReaderOffset(&r))});
    CloseLineReader(&r);
    return rows;
}

// The cells a row of text takes on the screen.
inline int DrawnCells(const std::string &s) {
    std::vector<FontCell> cells(s.size() + 1);
    return TextToCells(s.data(), static_cast<int>(s.size()), cells.data(), FONT_MAX_CELLS);
}

// The first row where two cuts part, as "row N: what one gave, not what the
// other did"; "" where they do not.
inline std::string FirstRowApart(const std::vector<BookRowModel> &got, const std::vector<BookRowModel> &want) {
    for (size_t i = 0; i < std::max(got.size(), want.size()); i++) {
        if (i < got.size() && i < want.size() && got[i] == want[i]) continue;
        std::ostringstream os;
        os << "row " << i << ": ";
        (i < got.size() ? os << got[i] : os << "no row") << ", not ";
        (i < want.size() ? os << want[i] : os << "no row");
        return os.str();
    }
    return "";
}

// What is wrong with the program's cut of text, at path, with wrap width
// wrap; "" for nothing. Its rows must be the model's for the line feeds
// they joined, end at the text's end, fit a row, be the same through
// smaller blocks, and the same again from each row's own start through a
// block as small as a book reader takes (a page is cut from its top row).
inline std::string BookCutFault(const std::string &path, const std::string &text, int wrap) {
    std::vector<BookRowModel> rows = BookRows(path, wrap);
    std::string fault = FirstRowApart(rows, BookModelRows(text, JoinedInside(rows)));
    if ((rows.empty() ? 0 : rows.back().next) != text.size()) fault += " rows end before the text";
    for (const BookRowModel &r : rows)
        if (DrawnCells(r.drawn) > TEXT_COLS) return "wider than a row: " + r.drawn;
    for (int cap : {int(BOOK_BLOCK_MIN), BOOK_BLOCK_MIN + 7, 4096})
        if (fault.empty()) fault = FirstRowApart(BookRows(path, wrap, cap), rows);
    for (const BookRowModel &row : rows)
        if (fault.empty()) fault = FirstRowApart(BookRows(path, wrap, BOOK_BLOCK_MIN, row.start, 1), {row});
    return fault;
}

// Three paragraphs written for the tests, in the manner of a novel's
// narration.
const char *const kNarration[] = {
    "The morning came slowly over the roofs of the small town, and by the time the baker had "
    "opened his shutters the whole street smelled of bread and wet stone. Nobody in the house "
    "across the square had slept well; the letter that had arrived the evening before lay "
    "unopened on the table in the hall, and everybody who passed it looked at it and went on.",
    "She came down at eight, dressed as if for a journey, and asked the maid whether the carriage "
    "had been ordered. The maid said that it had not, that nobody had said anything about a "
    "carriage, and that the master was still asleep. She stood for a long moment at the window, "
    "then took the letter, turned it over twice, and put it into her pocket without a word.",
    "It was only in the afternoon, when the rain had stopped and the light had gone yellow and "
    "thin, that her brother found her in the garden, sitting on the bench under the old pear "
    "tree with her hands in her lap, and understood from her face that she had read it.",
};
// A text made paragraph by paragraph, keeping the offsets of the line
// feeds that must join.
struct BookText {
    std::string text;
    std::set<size_t> joins;

    // A line as it is, its line feed a break.
    BookText &Line(const std::string &s, const std::string &eol = "\n") {
        text += s + eol;
        return *this;
    }
    // words wrapped as an editor wraps them: as many as fit in width cells
    // on each line; every line feed but the paragraph's last joins, and but
    // that of a word wider than the width, which has a line of its own.
    BookText &Para(const std::string &words, int width, const std::string &eol = "\n") {
        std::istringstream in(words);
        std::string word, line;
        while (in >> word) {
            if (!line.empty() && DrawnCells(line) + 1 + DrawnCells(word) > width) {
                text += line + eol;
                if (DrawnCells(line) <= width) joins.insert(text.size() - 1);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        text += line + eol;
        return *this;
    }
    std::function<bool(size_t)> Joins() const {
        return [this](size_t q) { return joins.count(q) > 0; };
    }
};

// The paragraphs of kNarration wrapped at width, rounds times over, a
// blank line between them.
inline BookText Narration(int width, const std::string &eol = "\n", int rounds = 2) {
    BookText b;
    for (int i = 0; i < rounds; i++)
        for (const char *p : kNarration) b.Para(p, width, eol).Line("", eol);
    return b;
}

}  // namespace testutil

#endif
