// The canvas's text: outline letters, raster and outline messages, seven-segment text.

#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "APIFontProperties.h"
#include "GLCheck.h"
#include "base/Exception.h"
#include "display/CanvasInternal.h"
#include "display/RasterGlyphs.h"
#include "figures/Letters.h"
#include "figures/Rectangle.h"

namespace Stimora {

using namespace detail;

Canvas& Canvas::letters(Letters& text, const Color& color) {
    activate();
    // Lists made under canvases that have all closed since are made again here.
    if (!text.isCached() && text.glyphCache && text.glyphCache->cached)
        cacheLetters(text, true);
    const Point datum = text.getDatum();
    double x = datum.x;
    if (text.alignment == Letters::alignCenter)
        x -= text.width / 2;
    else if (text.alignment == Letters::alignRight)
        x -= text.width;
    if (!text.isCached())
        throw Exception("Please ask to developpers to implement drawing uncached Letters.");
    const APIFontProperties& glyphs = *text.glyphCache;
    glCheck(glPushMatrix());
    glCheck(glPushAttrib(GL_ALL_ATTRIB_BITS));
    glColor4f(static_cast<GLfloat>(color.r), static_cast<GLfloat>(color.g), static_cast<GLfloat>(color.b),
              static_cast<GLfloat>(color.a));
    glCheck(glTranslated(x, datum.y, 0.0));
    // Outlines are in em units with y up; the canvas runs y down.
    glCheck(glScaled(text.font.size, -text.font.size, 1.0));
    glCheck(glListBase(glyphs.listBase));
    glCheck(glCallLists(static_cast<GLsizei>(glyphs.count), GL_UNSIGNED_SHORT, glyphs.indices));
    glCheck(glListBase(0));
    glCheck(glPopAttrib());
    glCheck(glPopMatrix());
    return *this;
}
int Canvas::message(const char* text, double x, double y, const Color& color, int alignment, int maxWidth) {
    activate();
    if (!text)
        return 0;
    // Wrap width: the given one, else the room towards the edge the text runs to.
    int wrap = 0;
    if (alignment == 1) {
        if (maxWidth > 0)
            wrap = maxWidth;
        else
            wrap = 2 * (x <= width / 2 ? static_cast<int>(x) : static_cast<int>(width - x));
    } else if (alignment == 2) {
        wrap = maxWidth > 0 ? maxWidth : static_cast<int>(x);
    } else {
        wrap = maxWidth > 0 ? maxWidth : static_cast<int>(width - x);
    }
    // No room: a line could take no character and would never advance.
    if (wrap <= 0)
        return 0;

    RasterGlyphs& glyphs = RasterGlyphs::shared();
    if (!glyphs.built())
        glyphs.upload();
    const Color maskClear(Color::raw, 1.0, 1.0, 1.0, 0.0);
    const Color fade(Color::raw, 1.0, 1.0, 1.0, color.a);

    glCheck(glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT));
    glCheck(glEnable(GL_BLEND));
    Rectangle box;
    int lines = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        const unsigned char* start = p;
        int sum = 0;
        while (sum < wrap && *p != 0 && *p != '\r' && *p != '\n')
            sum += RasterGlyphs::advance(*p++);
        const unsigned char* end = p;

        double x0 = alignment == 1 ? x - sum / 2 : (alignment == 2 ? x - sum : x);
        x0 += 3;
        const double top = y + 8 * lines - 8;
        box.set(x0 - 4, top, x0 + sum, y + 8 * lines);

        // Destination alpha becomes the glyph mask; the colour then lands through it.
        glCheck(glBlendFunc(GL_ZERO, GL_SRC_COLOR));
        rect(box, maskClear);
        glCheck(glBlendFunc(GL_ONE, GL_ONE));
        double advance = 0.0;
        for (const unsigned char* q = start; q < end; ++q) {
            if (*q < RasterGlyphs::count) {
                // A blank glyph would add nothing to the mask: spare the texture draw.
                if (!RasterGlyphs::blank(*q))
                    image(glyphs.image(*q), x0 + advance, top);
                advance += RasterGlyphs::advance(*q);
            }
        }
        if (color.a != 1.0) {
            glCheck(glBlendFunc(GL_ZERO, GL_SRC_COLOR));
            rect(box, fade);
        }
        glCheck(glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA));
        rect(box, color);
        ++lines;

        if (*p == '\r')
            ++p;
        if (*p == '\n')
            ++p;
    }
    glCheck(glPopAttrib());
    return lines;
}
int Canvas::message(const std::string& text, double x, double y, const Color& color, int alignment,
                    int maxWidth) {
    activate();
    return message(text.c_str(), x, y, color, alignment, maxWidth);
}
int Canvas::message(const char16_t* text, double x, double y, const Color& color, int alignment, int) {
    activate();
    // Outline text keeps its width; it is drawn on one line whatever the width limit.
    const std::u16string wanted(text ? text : u"");
    Letters* shown = nullptr;
    for (std::size_t i = 0; i < messageCache.size(); ++i) {
        auto* cached = dynamic_cast<Letters*>(messageCache[i]);
        if (cached && cached->getString() == wanted) {
            shown = cached;
            // Most recently used last, so the oldest texts are the ones dropped.
            messageCache.erase(messageCache.begin() + static_cast<std::ptrdiff_t>(i));
            messageCache.push_back(shown);
            break;
        }
    }
    if (!shown) {
        auto made = std::make_unique<Letters>();
        made->setString(wanted, false);
        made->setFont(Font::defaultFont(), false);
        cacheLetters(*made, true);
        shown = made.get();
        messageCache.push_back(made.release());
        // At most 10 texts; the one about to be drawn is the last and never dropped.
        while (messageCache.size() > 10) {
            delete messageCache.front();
            messageCache.erase(messageCache.begin());
        }
    }
    shown->setDatum(Point(x, y, 0.0));
    shown->draw(color, alignment, *this);
    return wanted.empty() ? 0 : 1;
}

Canvas& Canvas::segmentText(const char* text, double x, double y, const Color& color, bool leftAligned) {
    activate();
    if (!text)
        return *this;
    // The segments go out as lines placed here, one batch for the whole text, and the colour
    // is read and set again: a display list per character, moving the model-view matrix
    // between them, and an attribute group pushed and popped each make the software renderer
    // validate its state again, which costs more than the text itself. Only the current colour
    // changes, and it is put back as a pop would.
    GLfloat saved[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glCheck(glGetFloatv(GL_CURRENT_COLOR, saved));
    setColor(color);
    const std::size_t n = std::strlen(text);
    // Character i's cell: from x on when left-aligned, else ending at x.
    auto cell = [&](std::size_t i) {
        return leftAligned ? x + segmentAdvance * static_cast<double>(i)
                           : x - segmentAdvance * static_cast<double>(n - i);
    };
    auto each = [&](auto draw) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = leftAligned ? k : n - 1 - k;
            const auto code = static_cast<unsigned char>(text[i]);
            if (code < 128) // codes above 127 keep their cell empty
                draw(cell(i), segmentMask(code));
        }
    };
    glBegin(GL_LINES);
    each([&](double left, unsigned char mask) {
        for (int j = 0; j < 7; ++j) {
            if (mask & (1u << j)) {
                glVertex2d(left + segments[j][0], y + segments[j][1]);
                glVertex2d(left + segments[j][2], y + segments[j][3]);
            }
        }
    });
    glCheck(glEnd());
    glBegin(GL_POINTS); // a character without segments is a dot
    each([&](double left, unsigned char mask) {
        if (mask == 0)
            glVertex2d(left + 8.0, y);
    });
    glCheck(glEnd());
    glCheck(glColor4fv(saved));
    return *this;
}

Canvas& Canvas::segmentText(const std::string& text, double x, double y, const Color& color,
                            bool leftAligned) {
    activate();
    return segmentText(text.c_str(), x, y, color, leftAligned);
}

} // namespace Stimora
