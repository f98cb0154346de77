/*
 * The program's skin library: a small 64-bit Windows DLL that the program maps
 * from its own constant data. It reads a skin (text beginning ".SHE"), turns
 * its colours and style template into a Qt style sheet, and hands the result
 * to the host through the three functions the host offers under "zuhost.dll".
 *
 * Built freestanding: no C runtime, no imports but the host's, no stack
 * probes, so the host's loader can run it anywhere in its address space.
 *
 * Skin format, lines of text (UTF-8, LF or CR LF):
 *   .SHE 1                      first line: magic and format version
 *   ; text                      comment
 *   name=#RRGGBB                a colour, up to 48 of them
 *   [style]                     everything after this line is the style
 *                               template; "@name@" stands for a colour
 */

#define ZU_IMPORT __declspec(dllimport)
#define ZU_EXPORT __declspec(dllexport)

typedef unsigned char u8;
typedef unsigned int u32;
typedef unsigned long long u64;

/* Host functions. Colours are 0xRRGGBB; texts are UTF-8 with a length. */
ZU_IMPORT void ZuHost_SetSkinStyle(const char* styleSheet, u32 length);
ZU_IMPORT void ZuHost_SetSkinColor(const char* name, u32 rgb);
ZU_IMPORT void ZuHost_SetWindowStyle(u64 window, const char* styleSheet, u32 length);

enum { kMaxColors = 48, kMaxName = 32, kStyleCapacity = 48 * 1024 };

struct Color {
    char name[kMaxName];
    u32 rgb;
};

/* The skin this instance attached last. Every mapped instance has its own. */
static struct Color colors[kMaxColors];
static int colorCount;
static char style[kStyleCapacity];

/* GCC may turn plain loops into calls of these; there is no C runtime. */
void* memset(void* d, int c, unsigned long long n) {
    u8* p = (u8*)d;
    while (n--) *p++ = (u8)c;
    return d;
}
void* memcpy(void* d, const void* s, unsigned long long n) {
    u8* p = (u8*)d;
    const u8* q = (const u8*)s;
    while (n--) *p++ = *q++;
    return d;
}

static int SameText(const char* a, u32 aLen, const char* b) {
    u32 i = 0;
    for (; i < aLen; ++i)
        if (b[i] != a[i]) return 0;
    return b[i] == 0;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* "#RRGGBB" (trailing blanks allowed) to 0xRRGGBB, or -1. */
static long long ParseColor(const char* s, u32 len) {
    while (len && (s[len - 1] == ' ' || s[len - 1] == '\t')) --len;
    if (len != 7 || s[0] != '#') return -1;
    long long v = 0;
    for (u32 i = 1; i < 7; ++i) {
        int d = HexDigit(s[i]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

static int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

/* Turns the hue by `hue` degrees and scales saturation and brightness by
 * `sat` and `bright` percent (-100 to 100); 0, 0, 0 leaves a colour as it is. */
static u32 AdjustColor(u32 rgb, int hue, int sat, int bright) {
    if (hue == 0 && sat == 0 && bright == 0) return rgb;
    int r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    int delta = max - min;
    int h = 0; /* degrees */
    if (delta) {
        if (max == r) h = (60 * (g - b) / delta + 360) % 360;
        else if (max == g) h = 60 * (b - r) / delta + 120;
        else h = 60 * (r - g) / delta + 240;
    }
    int s = max ? delta * 1000 / max : 0; /* per mille */
    int v = max * 1000 / 255;
    h = ((h + hue) % 360 + 360) % 360;
    s = Clamp(s + s * Clamp(sat, -100, 100) / 100, 0, 1000);
    v = Clamp(v + (bright >= 0 ? (1000 - v) : v) * Clamp(bright, -100, 100) / 100, 0, 1000);
    int c = v * s / 1000;                           /* chroma, per mille */
    int x = c * (60 - (h % 120 > 60 ? h % 120 - 60 : 60 - h % 120)) / 60;
    int m = v - c;
    int rp, gp, bp;
    switch (h / 60) {
        case 0: rp = c, gp = x, bp = 0; break;
        case 1: rp = x, gp = c, bp = 0; break;
        case 2: rp = 0, gp = c, bp = x; break;
        case 3: rp = 0, gp = x, bp = c; break;
        case 4: rp = x, gp = 0, bp = c; break;
        default: rp = c, gp = 0, bp = x; break;
    }
    r = Clamp(((rp + m) * 255 + 500) / 1000, 0, 255);
    g = Clamp(((gp + m) * 255 + 500) / 1000, 0, 255);
    b = Clamp(((bp + m) * 255 + 500) / 1000, 0, 255);
    return (u32)(r << 16 | g << 8 | b);
}

static u32 Length(const char* s) {
    u32 n = 0;
    while (s[n]) ++n;
    return n;
}

static const struct Color* FindColor(const struct Color* table, int count, const char* name, u32 len) {
    for (int i = 0; i < count; ++i)
        if (SameText(name, len, table[i].name)) return &table[i];
    return 0;
}

/* Copies `tmpl` into `out`, putting "#rrggbb" in place of every "@name@" of
 * a known colour; other text, unknown names included, stays as it is.
 * Returns the length written, or -1 when `out` is too small. */
static long long Expand(const char* tmpl, u32 len, char* out, u32 capacity,
                        const struct Color* table, int count) {
    static const char hex[] = "0123456789abcdef";
    u32 n = 0;
    for (u32 i = 0; i < len;) {
        if (tmpl[i] == '@') {
            u32 j = i + 1;
            while (j < len && j - i <= kMaxName && tmpl[j] != '@' && tmpl[j] != '\n') ++j;
            const struct Color* c = (j < len && tmpl[j] == '@') ? FindColor(table, count, tmpl + i + 1, j - i - 1) : 0;
            if (c) {
                if (capacity - n < 7) return -1;
                out[n++] = '#';
                for (int k = 20; k >= 0; k -= 4) out[n++] = hex[(c->rgb >> k) & 15];
                i = j + 1;
                continue;
            }
        }
        if (n == capacity) return -1;
        out[n++] = tmpl[i++];
    }
    return n;
}

static int ParseSkin(const u8* data, u32 length, int hue, int sat, int bright) {
    const char* text = (const char*)data;
    if (length < 6 || text[0] != '.' || text[1] != 'S' || text[2] != 'H' || text[3] != 'E' ||
        text[4] != ' ' || text[5] != '1')
        return 0;
    static struct Color parsed[kMaxColors];
    int parsedCount = 0;
    u32 i = 0;
    while (i < length && text[i] != '\n') ++i; /* the magic line */
    const char* tmpl = 0;
    u32 tmplLen = 0;
    while (i < length) {
        u32 start = ++i, end = i;
        while (end < length && text[end] != '\n') ++end;
        u32 lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        i = end;
        if (lineEnd == start || text[start] == ';') continue;
        if (SameText(text + start, lineEnd - start, "[style]")) {
            tmpl = text + (end < length ? end + 1 : end);
            tmplLen = (u32)(text + length - tmpl);
            break;
        }
        u32 eq = start;
        while (eq < lineEnd && text[eq] != '=') ++eq;
        if (eq == lineEnd || eq == start || eq - start >= kMaxName) return 0;
        long long rgb = ParseColor(text + eq + 1, lineEnd - eq - 1);
        if (rgb < 0 || parsedCount == kMaxColors) return 0;
        struct Color* c = &parsed[parsedCount++];
        for (u32 k = 0; k < eq - start; ++k) c->name[k] = text[start + k];
        c->name[eq - start] = 0;
        c->rgb = AdjustColor((u32)rgb, hue, sat, bright);
    }
    if (!tmpl) return 0;
    /* Only a skin that parsed whole replaces the one attached before. */
    for (int k = 0; k < parsedCount; ++k) colors[k] = parsed[k];
    colorCount = parsedCount;
    long long n = Expand(tmpl, tmplLen, style, kStyleCapacity, colors, colorCount);
    if (n < 0) return 0;
    for (int k = 0; k < colorCount; ++k) ZuHost_SetSkinColor(colors[k].name, colors[k].rgb);
    ZuHost_SetSkinStyle(style, (u32)n);
    return 1;
}

/* Attaches the skin held in `data`: the host receives every colour and the
 * expanded style sheet. The format carries no encryption, so a password is
 * accepted and not needed. Returns 1, or 0 for data that is not a skin. */
ZU_EXPORT int SkinH_AttachRes(const u8* data, u32 length, const char* password, int hue, int sat,
                              int bright) {
    (void)password;
    if (!data) return 0;
    return ParseSkin(data, length, hue, sat, bright);
}

/* Colours of the title and menu bar when this instance has no skin of its
 * own: those of the program's shipped skin. */
static const struct Color kTitleDefaults[] = {
    {"title", 0xDCE8EF}, {"titleText", 0x24465C}, {"menu", 0xFFFFFF},
    {"menuText", 0x24465C}, {"highlight", 0x3C8DC5}, {"highlightText", 0xFFFFFF},
    {"frame", 0xB4CCDA},
};

static u32 TitleColor(const char* name) {
    const u32 len = Length(name);
    const struct Color* c = FindColor(colors, colorCount, name, len);
    if (!c) c = FindColor(kTitleDefaults, sizeof kTitleDefaults / sizeof kTitleDefaults[0], name, len);
    return c ? c->rgb : 0;
}

static const char kTitleTemplate[] =
    "QMenuBar { background: @title@; color: @titleText@; border-bottom: 1px solid @frame@; }\n"
    "QMenuBar::item { background: transparent; padding: 3px 10px; }\n"
    "QMenuBar::item:selected { background: @highlight@; color: @highlightText@; }\n"
    "QMenu { background: @menu@; color: @menuText@; border: 1px solid @frame@; }\n"
    "QMenu::item { padding: 4px 22px; }\n"
    "QMenu::item:selected { background: @highlight@; color: @highlightText@; }\n";

/* Skins the title and menu bar of `window` (a handle the host gave out).
 * A colour argument of 0 keeps the skin's colour; others are 0xRRGGBB for
 * the bar, its text and the highlighted item. `enable` 0 removes the skin
 * from the bars. Returns 1. */
ZU_EXPORT int SkinH_SetTitleMenuBar(u64 window, int enable, u32 barColor, u32 textColor,
                                    u32 highlightColor) {
    static char sheet[2048];
    if (!enable) {
        ZuHost_SetWindowStyle(window, "", 0);
        return 1;
    }
    static const char* const names[] = {"title", "titleText", "menu", "menuText",
                                        "highlight", "highlightText", "frame"};
    struct Color table[7];
    for (int k = 0; k < 7; ++k) {
        const u32 len = Length(names[k]);
        for (u32 c = 0; c <= len; ++c) table[k].name[c] = names[k][c];
        table[k].rgb = TitleColor(names[k]);
    }
    if (barColor) table[0].rgb = barColor & 0xFFFFFF;
    if (textColor) table[1].rgb = textColor & 0xFFFFFF;
    if (highlightColor) table[4].rgb = highlightColor & 0xFFFFFF;
    long long n = Expand(kTitleTemplate, sizeof kTitleTemplate - 1, sheet, sizeof sheet, table, 7);
    if (n < 0) return 0;
    ZuHost_SetWindowStyle(window, sheet, (u32)n);
    return 1;
}

/* Removes the skin: the host goes back to its plain look. */
ZU_EXPORT int SkinH_Detach(void) {
    colorCount = 0;
    ZuHost_SetSkinStyle("", 0);
    return 1;
}

/* The library's format version, so a host can tell what it mapped. */
ZU_EXPORT int SkinH_GetVersion(void) { return 1; }

int DllMain(void* instance, u32 reason, void* reserved) {
    (void)instance, (void)reason, (void)reserved;
    return 1;
}
