// mkfont: turns a 6x13 BDF bitmap font into the viewer's font sheet, a
// run-length encoded 24-bit Targa of 6 x 13 glyph cells, 256 to a row, and
// the table of the program that says which cell holds which letter.
//
// The first row holds one cell per byte value, laid out as Latin-1. The
// rows below hold, in the order of their code points, the font's glyphs of
// the alphabets and symbols in kBlocks; the table lists them as runs of
// consecutive code points in consecutive cells.
//
// usage: mkfont FONT.bdf|- OUT.tga OUT-TABLE.cpp
#include <cstdio>
#include <cstdlib>
#include <cstring>

enum {
  CELL_W = 6,
  CELL_H = 13,
  ROW_CELLS = 256,
  SHEET_W = CELL_W * ROW_CELLS,
  MAX_GLYPHS = 8192,  // more than the blocks below can hold
  MAX_ROWS = 1 + MAX_GLYPHS / ROW_CELLS,
  MAX_PIXELS = SHEET_W * CELL_H * MAX_ROWS,
  MAX_PACKET = 128,
  // Worst case is all raw packets: one header byte per 128 pixels of 3 bytes.
  OUT_MAX = 18 + MAX_PIXELS * 3 + MAX_PIXELS / MAX_PACKET + 1
};

static const unsigned char INK[3] = {224, 224, 224};  // red, green, blue

// The blocks whose glyphs go below the first row. Left out: the combining
// marks (U+0300..036F, U+0483..0489, U+20D0..20FF), which would have to
// be drawn over the letter before them; right-to-left scripts, which drawn
// in the order of their bytes would read backwards; and the invisible
// format characters (U+2028..202F, U+2060..206F, the byte-order mark).
static const struct Block {
  long first, last;
} kBlocks[] = {
    {0x0100, 0x02FF},  // Latin Extended-A and B, IPA, spacing modifier letters
    {0x0370, 0x03FF},  // Greek
    {0x0400, 0x0482},  // Cyrillic, before its combining marks
    {0x048A, 0x052F},  // Cyrillic, after them, and its supplement
    {0x0531, 0x058F},  // Armenian
    {0x10A0, 0x10FF},  // Georgian
    {0x1E00, 0x1FFF},  // Latin Extended Additional, Greek Extended
    {0x2010, 0x2027},  // dashes, quotes, bullets, the ellipsis
    {0x2030, 0x205E},  // per mille, primes, angle quotes, ...
    {0x2070, 0x20CF},  // super- and subscripts, currency
    {0x2100, 0x23FF},  // letterlike symbols, number forms, arrows, maths, technical
    {0x2500, 0x28FF},  // box drawing, blocks, shapes, symbols, dingbats, Braille
    {0xFB00, 0xFB06},  // Latin ligatures
    {0xFFFD, 0xFFFD},  // the replacement character
};

// One glyph as placed in its cell: bit 5 of each row is the left column.
struct Glyph {
  long code;
  unsigned char rows[CELL_H];
};

static Glyph glyphs[MAX_GLYPHS];  // the glyphs below the first row
static int glyph_count;
static unsigned char sheet[CELL_H * MAX_ROWS][SHEET_W];  // 1 where there is ink
static int sheet_h = CELL_H;
static unsigned char out[OUT_MAX];

struct Font {
  int ascent, descent;  // -1 until the properties are read
  int glyphs;           // glyphs placed on the sheet
};

struct Bdf {
  Glyph g;               // the glyph being read
  int w, h, xoff, yoff;  // its bounding box
  int row;               // next bitmap row to read, 0 = top of the bounding box
};

static bool StartsWith(const char *line, const char *word) {
  size_t n = strlen(word);
  if (strncmp(line, word, n) != 0)
    return false;
  return line[n] == ' ' || line[n] == '\0';
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Control codes, C1 included, stay blank so that a tab or a stray CR reads
// as a space, whatever the font happens to draw for them.
static bool FirstRow(long code) {
  if (code < 32 || code > 255)
    return false;
  return code != 127 && (code < 128 || code > 159);
}

static bool InBlocks(long code) {
  for (const Block &b : kBlocks)
    if (code >= b.first && code <= b.last)
      return true;
  return false;
}

static bool Wanted(long code) { return FirstRow(code) || InBlocks(code); }

// Places one hex row of the glyph's bitmap. The box's bottom edge sits yoff
// rows below the baseline, and the baseline is `ascent` rows from the top.
static bool PlaceRow(const Font &font, Bdf &b, const char *hex) {
  int y = font.ascent - (b.yoff + b.h) + b.row;
  for (int i = 0; i < b.w; i++) {
    int hi = HexValue(hex[i / 8 * 2]);
    int lo = hi < 0 ? -1 : HexValue(hex[i / 8 * 2 + 1]);
    if (lo < 0) {
      fprintf(stderr, "mkfont: glyph %ld: bad bitmap row \"%s\"\n", b.g.code, hex);
      return false;
    }
    int byte = hi * 16 + lo;
    if (!(byte & (0x80 >> (i % 8))))
      continue;
    int x = b.xoff + i;
    if (x < 0 || x >= CELL_W || y < 0 || y >= CELL_H) {
      fprintf(stderr, "mkfont: glyph %ld does not fit in a %dx%d cell\n",
              b.g.code, CELL_W, CELL_H);
      return false;
    }
    b.g.rows[y] |= (unsigned char)(0x20 >> x);
  }
  return true;
}

static bool StartBitmap(const Font &font, const Bdf &b) {
  if (font.ascent < 0 || font.descent < 0) {
    fprintf(stderr, "mkfont: glyph before FONT_ASCENT and FONT_DESCENT\n");
    return false;
  }
  if (font.ascent + font.descent != CELL_H) {
    fprintf(stderr, "mkfont: FONT_ASCENT + FONT_DESCENT is %d, not %d\n",
            font.ascent + font.descent, CELL_H);
    return false;
  }
  if (b.w <= 0 || b.h <= 0) {
    fprintf(stderr, "mkfont: glyph %ld has no BBX\n", b.g.code);
    return false;
  }
  return true;
}

static void Paint(const Glyph &g, int cell) {
  int left = cell % ROW_CELLS * CELL_W;
  int top = cell / ROW_CELLS * CELL_H;
  for (int y = 0; y < CELL_H; y++)
    for (int x = 0; x < CELL_W; x++)
      if (g.rows[y] & (0x20 >> x))
        sheet[top + y][left + x] = 1;
}

// A glyph of the first row is painted at once; the others wait for the
// order of their code points, which the font need not keep.
static bool Keep(Font &font, const Glyph &g) {
  font.glyphs++;
  if (FirstRow(g.code)) {
    Paint(g, (int)g.code);
    return true;
  }
  if (glyph_count == MAX_GLYPHS) {
    fprintf(stderr, "mkfont: more than %d glyphs\n", MAX_GLYPHS);
    return false;
  }
  glyphs[glyph_count++] = g;
  return true;
}

// Reads the BDF line by line; only the fields that place a glyph matter.
static bool ReadBdf(FILE *in, Font &font) {
  char line[512];
  Bdf b = {};
  bool inBitmap = false;
  while (fgets(line, sizeof line, in)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (inBitmap && !StartsWith(line, "ENDCHAR")) {
      if (b.row >= b.h) {
        fprintf(stderr, "mkfont: glyph %ld has more than %d rows\n", b.g.code, b.h);
        return false;
      }
      if (Wanted(b.g.code) && !PlaceRow(font, b, line))
        return false;
      b.row++;
    } else if (StartsWith(line, "FONT_ASCENT")) {
      sscanf(line + 11, "%d", &font.ascent);
    } else if (StartsWith(line, "FONT_DESCENT")) {
      sscanf(line + 12, "%d", &font.descent);
    } else if (StartsWith(line, "STARTCHAR")) {
      b = Bdf{};
      b.g.code = -1;
    } else if (StartsWith(line, "ENCODING")) {
      sscanf(line + 8, "%ld", &b.g.code);
    } else if (StartsWith(line, "BBX")) {
      sscanf(line + 3, "%d %d %d %d", &b.w, &b.h, &b.xoff, &b.yoff);
    } else if (StartsWith(line, "BITMAP")) {
      if (!StartBitmap(font, b))
        return false;
      inBitmap = true;
    } else if (StartsWith(line, "ENDCHAR")) {
      if (inBitmap && b.row != b.h) {
        fprintf(stderr, "mkfont: glyph %ld has %d rows, not %d\n", b.g.code, b.row, b.h);
        return false;
      }
      if (inBitmap && Wanted(b.g.code) && !Keep(font, b.g))
        return false;
      inBitmap = false;
    }
  }
  if (ferror(in)) {
    fprintf(stderr, "mkfont: read error\n");
    return false;
  }
  if (font.glyphs == 0) {
    fprintf(stderr, "mkfont: no glyphs for codes 32 to 255 or the blocks found\n");
    return false;
  }
  return true;
}

static int ByCode(const void *a, const void *b) {
  long x = static_cast<const Glyph *>(a)->code;
  long y = static_cast<const Glyph *>(b)->code;
  return x < y ? -1 : x > y;
}

// The glyphs below the first row take cells 256, 257, ... in the order of
// their code points, which is what lets the table be searched.
static bool PlaceBlocks() {
  qsort(glyphs, glyph_count, sizeof glyphs[0], ByCode);
  for (int i = 0; i < glyph_count; i++) {
    if (i > 0 && glyphs[i].code == glyphs[i - 1].code) {
      fprintf(stderr, "mkfont: glyph %ld appears twice\n", glyphs[i].code);
      return false;
    }
    Paint(glyphs[i], ROW_CELLS + i);
  }
  sheet_h = CELL_H * (1 + (glyph_count + ROW_CELLS - 1) / ROW_CELLS);
  return true;
}

static int PixelAt(int i) { return sheet[i / SHEET_W][i % SHEET_W]; }

static int RunLength(int i, int total) {
  int k = 1;
  while (i + k < total && k < MAX_PACKET && PixelAt(i + k) == PixelAt(i))
    k++;
  return k;
}

static size_t PutPixel(size_t pos, int ink) {
  out[pos++] = ink ? INK[2] : 0;  // blue, green, red
  out[pos++] = ink ? INK[1] : 0;
  out[pos++] = ink ? INK[0] : 0;
  return pos;
}

// Run packets for every repeat, raw packets for the stretches between them.
// Packets run on across row ends, so the sheet is one long pixel stream.
static size_t EncodePixels(size_t pos) {
  int total = SHEET_W * sheet_h;
  int i = 0;
  while (i < total) {
    int run = RunLength(i, total);
    if (run >= 2) {
      out[pos++] = (unsigned char)(0x80 | (run - 1));
      pos = PutPixel(pos, PixelAt(i));
      i += run;
      continue;
    }
    int j = i;
    while (j < total && j - i < MAX_PACKET && RunLength(j, total) < 2)
      j++;
    out[pos++] = (unsigned char)(j - i - 1);
    for (; i < j; i++)
      pos = PutPixel(pos, PixelAt(i));
  }
  return pos;
}

static size_t EncodeTarga() {
  memset(out, 0, 18);
  out[2] = 10;  // run-length encoded true-colour
  out[12] = SHEET_W & 0xFF;
  out[13] = SHEET_W >> 8;
  out[14] = (unsigned char)(sheet_h & 0xFF);
  out[15] = (unsigned char)(sheet_h >> 8);
  out[16] = 24;
  out[17] = 0x20;  // top row first
  return EncodePixels(18);
}

// The table as a source file of the program, C++98 like the rest of it.
static void WriteTable(FILE *f) {
  size_t runs = 0;
  fprintf(f,
          "/* glyphtable.cpp: which cell of the font sheet holds which letter\n"
          " * below its first row, as runs of consecutive code points in\n"
          " * consecutive cells, ascending. Written by tools/mkfont in the run\n"
          " * that makes simplefont.tga from the same font; not edited by hand. */\n"
          "#include \"glyphs.h\"\n"
          "\n"
          "const GlyphRun glyph_runs[] = {\n");
  for (int i = 0; i < glyph_count;) {
    int j = i + 1;
    while (j < glyph_count && glyphs[j].code == glyphs[j - 1].code + 1)
      j++;
    fprintf(f, "    { 0x%04lX, 0x%04lX, %d },\n", glyphs[i].code, glyphs[j - 1].code, ROW_CELLS + i);
    runs++;
    i = j;
  }
  if (runs == 0)
    fprintf(f, "    { 0, -1, 0 }\n");  // C++98 wants one; it holds no code point
  fprintf(f,
          "};\n"
          "\n"
          "const int glyph_run_count = %zu;\n",
          runs);
}

static bool Failed(const char *path, FILE *f, bool ok) {
  if (fclose(f) != 0)
    ok = false;
  if (!ok) {
    fprintf(stderr, "mkfont: cannot write %s\n", path);
    remove(path);
  }
  return !ok;
}

static bool WriteFiles(const char *sheetPath, const char *tablePath) {
  size_t size = EncodeTarga();
  FILE *f = fopen(sheetPath, "wb");
  if (!f) {
    fprintf(stderr, "mkfont: cannot create %s\n", sheetPath);
    return false;
  }
  if (Failed(sheetPath, f, fwrite(out, 1, size, f) == size))
    return false;
  f = fopen(tablePath, "w");
  if (!f) {
    fprintf(stderr, "mkfont: cannot create %s\n", tablePath);
    remove(sheetPath);
    return false;
  }
  WriteTable(f);
  if (Failed(tablePath, f, !ferror(f))) {
    remove(sheetPath);
    return false;
  }
  return true;
}

int main(int argc, char **argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: mkfont FONT.bdf|- OUT.tga OUT-TABLE.cpp\n");
    return 2;
  }
  bool fromStdin = strcmp(argv[1], "-") == 0;
  FILE *in = fromStdin ? stdin : fopen(argv[1], "r");
  if (!in) {
    fprintf(stderr, "mkfont: cannot open %s\n", argv[1]);
    return 1;
  }
  Font font = {-1, -1, 0};
  bool ok = ReadBdf(in, font);
  if (!fromStdin)
    fclose(in);
  if (!ok || !PlaceBlocks())
    return 1;
  return WriteFiles(argv[2], argv[3]) ? 0 : 1;
}
