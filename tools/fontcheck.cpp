// fontcheck: decodes a font sheet Targa with its own small decoder (not the
// viewer's loader) and checks it against what the viewer needs from it: a
// first row of 256 cells laid out as Latin-1, and rows of further cells of
// the same width below it.
//
// usage: fontcheck sheet FILE.tga     the sheet made from the 6x13 font
//        fontcheck fixture FILE.tga   the sheet made from testdata/placement.bdf
#include <cstdarg>
#include <cstdio>
#include <cstring>

enum {
  CELL_W = 6,
  CELL_H = 13,
  SHEET_W = CELL_W * 256,
  MAX_ROWS = 32,
  FILE_MAX = 1 << 21
};

static unsigned char file[FILE_MAX];
static unsigned char rgb[CELL_H * MAX_ROWS][SHEET_W][3];
static int sheet_h;
static unsigned char ink[3];  // the first colour that is not black
static int failures;

static void Fail(const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  fprintf(stderr, "fontcheck: ");
  vfprintf(stderr, fmt, ap);
  fprintf(stderr, "\n");
  va_end(ap);
  failures++;
}

static size_t ReadAll(const char *path) {
  FILE *f = fopen(path, "rb");
  if (!f) {
    Fail("cannot open %s", path);
    return 0;
  }
  size_t size = fread(file, 1, FILE_MAX, f);
  bool tooBig = size == FILE_MAX;
  fclose(f);
  if (tooBig) {
    Fail("%s is larger than a font sheet can be", path);
    return 0;
  }
  return size;
}

static void Store(long i, int origin, const unsigned char *bgr) {
  int x = (int)(i % SHEET_W);
  int y = (int)(i / SHEET_W);
  if (origin == 0x00)
    y = sheet_h - 1 - y;
  rgb[y][x][0] = bgr[2];
  rgb[y][x][1] = bgr[1];
  rgb[y][x][2] = bgr[0];
}

// Strict on purpose: every packet must lie within the image and the pixel
// data must end where the last packet ends.
static bool DecodePackets(size_t pos, size_t size, int origin) {
  long i = 0;
  const long total = (long)SHEET_W * sheet_h;
  while (i < total) {
    if (pos >= size)
      return Fail("pixel data ends after %ld of %ld pixels", i, total), false;
    int b = file[pos++];
    int count = (b & 0x7F) + 1;
    bool run = (b & 0x80) != 0;
    if (i + count > total)
      return Fail("packet at pixel %ld runs past the image", i), false;
    if (pos + (run ? 3 : 3 * (size_t)count) > size)
      return Fail("packet at pixel %ld is cut short", i), false;
    for (int k = 0; k < count; k++, i++)
      Store(i, origin, file + pos + (run ? 0 : 3 * k));
    pos += run ? 3 : 3 * (size_t)count;
  }
  if (pos != size)
    return Fail("%zu bytes after the last packet", size - pos), false;
  return true;
}

static bool Decode(const char *path) {
  size_t size = ReadAll(path);
  if (size < 18)
    return Fail("%s has no Targa header", path), false;
  const unsigned char *h = file;
  int width = h[12] | h[13] << 8;
  int height = h[14] | h[15] << 8;
  int origin = h[17] & 0x30;
  if (h[1] != 0)
    Fail("colour-map type %d, want 0", h[1]);
  if (h[2] != 10)
    Fail("image type %d, want 10", h[2]);
  if (h[16] != 24)
    Fail("depth %d, want 24", h[16]);
  if (width != SHEET_W || height == 0 || height % CELL_H != 0 || height > CELL_H * MAX_ROWS)
    Fail("size %dx%d, want %d wide and 1 to %d rows of %d", width, height, SHEET_W,
         MAX_ROWS, CELL_H);
  sheet_h = height;
  if (origin != 0x00 && origin != 0x20)
    Fail("pixel order 0x%02x, want 0x00 or 0x20", origin);
  if (failures)
    return false;
  return DecodePackets(18 + h[0], size, origin);
}

static bool IsBlack(int x, int y) {
  return rgb[y][x][0] == 0 && rgb[y][x][1] == 0 && rgb[y][x][2] == 0;
}

// Pixel (x, y) of cell c, 256 cells to a row.
static bool IsInk(int c, int x, int y) {
  return !IsBlack(c % 256 * CELL_W + x, c / 256 * CELL_H + y);
}

// Every pixel is either black or one and the same light ink colour.
static void CheckColours() {
  bool found = false;
  for (int y = 0; y < sheet_h; y++) {
    for (int x = 0; x < SHEET_W; x++) {
      if (IsBlack(x, y))
        continue;
      if (!found) {
        memcpy(ink, rgb[y][x], 3);
        found = true;
      }
      if (memcmp(ink, rgb[y][x], 3) != 0)
        Fail("pixel (%d,%d) is neither black nor the ink colour", x, y);
    }
  }
  if (!found)
    Fail("the sheet has no ink at all");
  if (ink[0] < 160 || ink[1] < 160 || ink[2] < 160)
    Fail("ink %d,%d,%d is not a light colour", ink[0], ink[1], ink[2]);
}

static int InkCount(int c) {
  int n = 0;
  for (int y = 0; y < CELL_H; y++)
    for (int x = 0; x < CELL_W; x++)
      n += IsInk(c, x, y);
  return n;
}

static int BottomInkRow(int c) {
  for (int y = CELL_H - 1; y >= 0; y--)
    for (int x = 0; x < CELL_W; x++)
      if (IsInk(c, x, y))
        return y;
  return -1;
}

static int InkRows(int c) {
  int n = 0;
  for (int y = 0; y < CELL_H; y++) {
    bool any = false;
    for (int x = 0; x < CELL_W; x++)
      any = any || IsInk(c, x, y);
    n += any;
  }
  return n;
}

static int InkColumns(int c) {
  int n = 0;
  for (int x = 0; x < CELL_W; x++) {
    bool any = false;
    for (int y = 0; y < CELL_H; y++)
      any = any || IsInk(c, x, y);
    n += any;
  }
  return n;
}

static bool SameCell(int a, int b) {
  for (int y = 0; y < CELL_H; y++)
    for (int x = 0; x < CELL_W; x++)
      if (IsInk(a, x, y) != IsInk(b, x, y))
        return false;
  return true;
}

struct Range {
  int first, last;
  bool inked;
  const char *what;
};

// Control codes and the codes the font has no glyph for must be blank;
// every printable Latin-1 code must have its glyph.
static const Range kRanges[] = {
    {0, 31, false, "control code"},   {32, 32, false, "space"},
    {33, 126, true, "ASCII glyph"},   {127, 127, false, "DEL"},
    {128, 159, false, "C1 control"},  {160, 160, false, "no-break space"},
    {161, 255, true, "Latin-1 glyph"},
};

static void CheckRanges() {
  for (const Range &r : kRanges)
    for (int c = r.first; c <= r.last; c++)
      if ((InkCount(c) > 0) != r.inked)
        Fail("cell %d (%s) is %s", c, r.what, r.inked ? "blank" : "not blank");
}

// Glyphs sitting on the baseline end on the same row; descenders go below it.
static void CheckBaseline() {
  const char *onBase = "AHMxz0";
  const char *below = "gjpqy";
  int base = BottomInkRow('A');
  for (const char *p = onBase; *p; p++)
    if (BottomInkRow(*p) != base)
      Fail("'%c' ends on row %d, 'A' on row %d", *p, BottomInkRow(*p), base);
  for (const char *p = below; *p; p++)
    if (BottomInkRow(*p) <= base)
      Fail("'%c' does not reach below the baseline row %d", *p, base);
  if (InkRows('-') != 1 || BottomInkRow('-') >= base)
    Fail("'-' is not one row above the baseline");
  if (InkColumns('|') != 1)
    Fail("'|' is not one column");
}

// A glyph landing in its neighbour's cell would make two cells alike.
static void CheckDistinct() {
  static const char kChars[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (const char *a = kChars; *a; a++)
    for (const char *b = a + 1; *b; b++)
      if (SameCell(*a, *b))
        Fail("'%c' and '%c' have the same cell", *a, *b);
}

// The rows below the first hold the letters of the other alphabets: there
// must be some, and none of them empty.
static void CheckLetterRows() {
  if (sheet_h == CELL_H)
    Fail("the sheet has no rows of letters below the first");
  for (int row = 1; row < sheet_h / CELL_H; row++) {
    int inked = 0;
    for (int c = row * 256; c < (row + 1) * 256; c++)
      inked += InkCount(c) > 0;
    if (inked == 0)
      Fail("row %d of cells is empty", row);
  }
}

struct Dot {
  int cell, x, y;
};

// Where testdata/placement.bdf must put its ink (FONT_ASCENT 11): each entry
// follows from the glyph's BBX offsets, the glyphs beyond Latin-1 in the
// cells from 256 on by their code points, not by their order in the font;
// every other pixel stays black.
static const Dot kFixtureInk[] = {
    {'A', 1, 11}, {'A', 2, 11}, {'A', 1, 12}, {'A', 2, 12},  // BBX 2 2 1 -2
    {'B', 5, 0},                                             // BBX 1 1 5 10
    {'C', 0, 0},  {'C', 1, 0},  {'C', 2, 0},  {'C', 3, 0},   // BBX 6 13 0 -2
    {'C', 4, 0},  {'C', 5, 0},  {'C', 0, 12}, {'C', 5, 12},
    {0xE9, 0, 10}, {0xE9, 2, 10},                            // BBX 3 1 0 0
    {0xFF, 0, 12},                                           // BBX 1 1 0 -2
    {'W', 0, 3},  {'W', 5, 3},                               // BBX 10 1 0 7, 2 bytes
    {256, 4, 12}, {256, 5, 12},                              // U+0104, BBX 2 1 4 -2
    {257, 0, 7},  {257, 5, 7},                               // U+0141, BBX 6 1 0 3
    {258, 0, 0},  {258, 0, 1},                               // U+FFFD, BBX 1 2 0 9
};

static bool ExpectedInk(int c, int x, int y) {
  for (const Dot &d : kFixtureInk)
    if (d.cell == c && d.x == x && d.y == y)
      return true;
  return false;
}

static void CheckFixture() {
  if (sheet_h != 2 * CELL_H)
    Fail("the sheet has %d pixel rows, want two rows of cells", sheet_h);
  for (int c = 0; c < 512; c++)
    for (int y = 0; y < CELL_H; y++)
      for (int x = 0; x < CELL_W; x++)
        if (IsInk(c, x, y) != ExpectedInk(c, x, y))
          Fail("cell %d pixel (%d,%d): %s", c, x, y,
               IsInk(c, x, y) ? "unexpected ink" : "missing ink");
}

int main(int argc, char **argv) {
  if (argc != 3 || (strcmp(argv[1], "sheet") != 0 && strcmp(argv[1], "fixture") != 0)) {
    fprintf(stderr, "usage: fontcheck sheet|fixture FILE.tga\n");
    return 2;
  }
  if (!Decode(argv[2]))
    return 1;
  CheckColours();
  if (strcmp(argv[1], "sheet") == 0) {
    CheckRanges();
    CheckBaseline();
    CheckDistinct();
    CheckLetterRows();
  } else {
    CheckFixture();
  }
  if (failures) {
    fprintf(stderr, "fontcheck: %d failure(s) in %s\n", failures, argv[2]);
    return 1;
  }
  printf("fontcheck: %s is a good %s\n", argv[2], argv[1]);
  return 0;
}
