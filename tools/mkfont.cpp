// mkfont: turns a 6x13 BDF bitmap font into the viewer's font sheet, a
// run-length encoded 24-bit Targa holding one row of 256 glyph cells.
//
// usage: mkfont FONT.bdf|- OUT.tga
#include <cstdio>
#include <cstdlib>
#include <cstring>

enum {
  CELL_W = 6,
  CELL_H = 13,
  CELLS = 256,
  SHEET_W = CELL_W * CELLS,
  SHEET_H = CELL_H,
  SHEET_PIXELS = SHEET_W * SHEET_H,
  MAX_PACKET = 128,
  // Worst case is all raw packets: one header byte per 128 pixels of 3 bytes.
  OUT_MAX = 18 + SHEET_PIXELS * 3 + SHEET_PIXELS / MAX_PACKET + 1
};

static const unsigned char INK[3] = {224, 224, 224};  // red, green, blue

static unsigned char sheet[SHEET_H][SHEET_W];  // 1 where there is ink
static unsigned char out[OUT_MAX];

struct Font {
  int ascent, descent;  // -1 until the properties are read
  int glyphs;           // glyphs placed on the sheet
};

struct Glyph {
  long code;
  int w, h, xoff, yoff;
  int row;  // next bitmap row to read, 0 = top of the bounding box
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
static bool Drawable(long code) {
  if (code < 32 || code > 255)
    return false;
  return code != 127 && (code < 128 || code > 159);
}

// Places one hex row of the glyph's bitmap. The box's bottom edge sits yoff
// rows below the baseline, and the baseline is `ascent` rows from the top.
static bool PlaceRow(const Font &font, const Glyph &g, const char *hex) {
  int y = font.ascent - (g.yoff + g.h) + g.row;
  for (int i = 0; i < g.w; i++) {
    int hi = HexValue(hex[i / 8 * 2]);
    int lo = hi < 0 ? -1 : HexValue(hex[i / 8 * 2 + 1]);
    if (lo < 0) {
      fprintf(stderr, "mkfont: glyph %ld: bad bitmap row \"%s\"\n", g.code, hex);
      return false;
    }
    int byte = hi * 16 + lo;
    if (!(byte & (0x80 >> (i % 8))))
      continue;
    int x = g.xoff + i;
    if (x < 0 || x >= CELL_W || y < 0 || y >= CELL_H) {
      fprintf(stderr, "mkfont: glyph %ld does not fit in a %dx%d cell\n",
              g.code, CELL_W, CELL_H);
      return false;
    }
    sheet[y][g.code * CELL_W + x] = 1;
  }
  return true;
}

static bool StartBitmap(const Font &font, const Glyph &g) {
  if (font.ascent < 0 || font.descent < 0) {
    fprintf(stderr, "mkfont: glyph before FONT_ASCENT and FONT_DESCENT\n");
    return false;
  }
  if (font.ascent + font.descent != CELL_H) {
    fprintf(stderr, "mkfont: FONT_ASCENT + FONT_DESCENT is %d, not %d\n",
            font.ascent + font.descent, CELL_H);
    return false;
  }
  if (g.w <= 0 || g.h <= 0) {
    fprintf(stderr, "mkfont: glyph %ld has no BBX\n", g.code);
    return false;
  }
  return true;
}

// Reads the BDF line by line; only the fields that place a glyph matter.
static bool ReadBdf(FILE *in, Font &font) {
  char line[512];
  Glyph g = {-1, 0, 0, 0, 0, 0};
  bool inBitmap = false;
  while (fgets(line, sizeof line, in)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (inBitmap && !StartsWith(line, "ENDCHAR")) {
      if (g.row >= g.h) {
        fprintf(stderr, "mkfont: glyph %ld has more than %d rows\n", g.code, g.h);
        return false;
      }
      if (Drawable(g.code) && !PlaceRow(font, g, line))
        return false;
      g.row++;
    } else if (StartsWith(line, "FONT_ASCENT")) {
      sscanf(line + 11, "%d", &font.ascent);
    } else if (StartsWith(line, "FONT_DESCENT")) {
      sscanf(line + 12, "%d", &font.descent);
    } else if (StartsWith(line, "STARTCHAR")) {
      g = Glyph{-1, 0, 0, 0, 0, 0};
    } else if (StartsWith(line, "ENCODING")) {
      sscanf(line + 8, "%ld", &g.code);
    } else if (StartsWith(line, "BBX")) {
      sscanf(line + 3, "%d %d %d %d", &g.w, &g.h, &g.xoff, &g.yoff);
    } else if (StartsWith(line, "BITMAP")) {
      if (!StartBitmap(font, g))
        return false;
      inBitmap = true;
    } else if (StartsWith(line, "ENDCHAR")) {
      if (inBitmap && g.row != g.h) {
        fprintf(stderr, "mkfont: glyph %ld has %d rows, not %d\n", g.code, g.row, g.h);
        return false;
      }
      if (inBitmap && Drawable(g.code))
        font.glyphs++;
      inBitmap = false;
    }
  }
  if (ferror(in)) {
    fprintf(stderr, "mkfont: read error\n");
    return false;
  }
  if (font.glyphs == 0) {
    fprintf(stderr, "mkfont: no glyphs for codes 32 to 255 found\n");
    return false;
  }
  return true;
}

static int PixelAt(int i) { return sheet[i / SHEET_W][i % SHEET_W]; }

static int RunLength(int i) {
  int k = 1;
  while (i + k < SHEET_PIXELS && k < MAX_PACKET && PixelAt(i + k) == PixelAt(i))
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
  int i = 0;
  while (i < SHEET_PIXELS) {
    int run = RunLength(i);
    if (run >= 2) {
      out[pos++] = (unsigned char)(0x80 | (run - 1));
      pos = PutPixel(pos, PixelAt(i));
      i += run;
      continue;
    }
    int j = i;
    while (j < SHEET_PIXELS && j - i < MAX_PACKET && RunLength(j) < 2)
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
  out[14] = SHEET_H & 0xFF;
  out[15] = SHEET_H >> 8;
  out[16] = 24;
  out[17] = 0x20;  // top row first
  return EncodePixels(18);
}

static bool WriteFile(const char *path, size_t size) {
  FILE *f = fopen(path, "wb");
  if (!f) {
    fprintf(stderr, "mkfont: cannot create %s\n", path);
    return false;
  }
  bool ok = fwrite(out, 1, size, f) == size;
  if (fclose(f) != 0)
    ok = false;
  if (!ok) {
    fprintf(stderr, "mkfont: cannot write %s\n", path);
    remove(path);
  }
  return ok;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: mkfont FONT.bdf|- OUT.tga\n");
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
  if (!ok)
    return 1;
  return WriteFile(argv[2], EncodeTarga()) ? 0 : 1;
}
