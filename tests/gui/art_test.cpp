#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <array>
#include <cmath>

#include "app/art/skin_art.h"

namespace quorbel {
namespace {

constexpr QRect kStrip{57, 47, 265, 55};
constexpr QRect kScope{10, 180, 367, 260};
constexpr std::array<int, 8> kSkins{166, 167, 168, 169, 170, 171, 172, 173};

double luminance(QRgb c) {
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

// Mean luminance and the brightest green level inside `r`.
struct AreaStats {
    double meanLuminance = 0;
    int maxGreen = 0;
};
AreaStats stats(const QImage& image, const QRect& r) {
    AreaStats s;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            s.meanLuminance += luminance(c);
            s.maxGreen = std::max(s.maxGreen, qGreen(c));
        }
    }
    s.meanLuminance /= r.width() * r.height();
    return s;
}

bool sameOutside(const QImage& a, const QImage& b, const QRect& except) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!except.contains(x, y) && a.pixel(x, y) != b.pixel(x, y)) return false;
        }
    }
    return true;
}

int differingPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    }
    return n;
}

TEST(Art, EveryPictureHasItsSizeAndOtherNumbersHaveNone) {
    for (int id = 133; id <= 147; ++id) EXPECT_EQ(quorbelBitmap(id).size(), QSize(58, 23)) << id;
    EXPECT_EQ(quorbelBitmap(156).size(), QSize(280, 228));
    for (int id : kSkins) EXPECT_EQ(quorbelBitmap(id).size(), QSize(388, 480)) << id;
    for (int id : {0, -1, 132, 148, 155, 157, 165, 174, 177}) {
        EXPECT_TRUE(quorbelBitmap(id).isNull()) << id;
    }
    // Views repaint constantly: the second request hands back the picture already made.
    EXPECT_EQ(quorbelBitmap(168).cacheKey(), quorbelBitmap(168).cacheKey());
}

TEST(Art, PanelsAreDarkSoGreenAndYellowTracesStandOut) {
    for (int id : kSkins) {
        const QImage skin = quorbelBitmap(id);
        for (const QRect& panel : {kStrip, kScope}) {
            const AreaStats s = stats(skin, panel);
            // Both trace colours carry full green; nothing in a panel comes near it.
            EXPECT_LT(s.maxGreen, 128) << id;
            EXPECT_LT(s.meanLuminance, 45) << id;
        }
        // The panels are darker than the skin around them.
        const AreaStats deck = stats(skin, QRect(0, 0, 388, 180));
        EXPECT_LT(stats(skin, kStrip).meanLuminance + 15, deck.meanLuminance) << id;
    }
}

TEST(Art, ChannelVariantsDifferOnlyInsideTheVectorscope) {
    const std::array<std::array<int, 2>, 4> pairs{{{166, 167}, {168, 169}, {171, 173}, {170, 172}}};
    for (const auto& [two, one] : pairs) {
        const QImage stereo = quorbelBitmap(two);
        const QImage mono = quorbelBitmap(one);
        EXPECT_TRUE(sameOutside(stereo, mono, kScope)) << two;
        EXPECT_GT(differingPixels(stereo, mono), 200) << two;
    }
}

TEST(Art, SkinsHaveTheirOwnColours) {
    // A patch of bare skin between the strip and the right edge, below the ornaments.
    const QRect bare(330, 112, 40, 20);
    auto meanColour = [&](int id) {
        const QImage skin = quorbelBitmap(id);
        double r = 0, g = 0, b = 0;
        for (int y = bare.top(); y <= bare.bottom(); ++y) {
            for (int x = bare.left(); x <= bare.right(); ++x) {
                const QRgb c = skin.pixel(x, y);
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
            }
        }
        const double n = bare.width() * bare.height();
        return std::array<double, 3>{r / n, g / n, b / n};
    };
    const auto normal = meanColour(167);
    const auto grey = meanColour(173);
    const auto night = meanColour(172);
    EXPECT_GT(normal[2], normal[0] + 60);  // blue
    EXPECT_NEAR(grey[0], grey[2], 6);      // neutral grey...
    EXPECT_NEAR(grey[1], 128, 25);         // ...around half brightness
    EXPECT_GT(night[2], night[0]);         // still blue...
    EXPECT_LT(night[0] + night[1] + night[2], normal[0] + normal[1] + normal[2]);  // ...but darker
    EXPECT_GT(differingPixels(quorbelBitmap(167), quorbelBitmap(169)), 5000);      // relief differs
}

TEST(Art, ButtonStatesLookDifferent) {
    auto count = [](const QImage& image, auto predicate) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) n += predicate(image.pixel(x, y));
        }
        return n;
    };
    auto yellow = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 170 && qBlue(c) < 110; };
    auto white = [](QRgb c) { return qRed(c) > 225 && qGreen(c) > 225 && qBlue(c) > 225; };
    auto blue = [](QRgb c) { return qBlue(c) > qRed(c) + 40; };
    const QRect whole(0, 0, 58, 23);
    for (int first = 133; first <= 145; first += 3) {
        const QImage normal = quorbelBitmap(first);
        const QImage pressed = quorbelBitmap(first + 1);
        const QImage disabled = quorbelBitmap(first + 2);
        EXPECT_GT(count(normal, yellow), 15) << first;
        EXPECT_GT(count(pressed, white), 15) << first;
        EXPECT_GT(count(disabled, white), 15) << first;
        EXPECT_EQ(count(pressed, yellow), 0) << first;
        EXPECT_GT(count(normal, blue), 500) << first;
        EXPECT_GT(count(pressed, blue), 500) << first;
        EXPECT_LT(count(disabled, blue), 50) << first;  // a grey plate
        EXPECT_LT(stats(pressed, whole).meanLuminance + 20, stats(normal, whole).meanLuminance)
            << first;
    }
    // Five different symbols.
    for (int a = 133; a <= 145; a += 3) {
        for (int b = a + 3; b <= 145; b += 3) {
            EXPECT_GT(differingPixels(quorbelBitmap(a), quorbelBitmap(b)), 20) << a << " " << b;
        }
    }
}

TEST(Art, AboutPictureIsNotBlank) {
    const QImage about = quorbelBitmap(156);
    const QRgb first = about.pixel(0, 0);
    int distinct = 0;
    for (int y = 0; y < about.height(); y += 4) {
        for (int x = 0; x < about.width(); x += 4) distinct += about.pixel(x, y) != first;
    }
    EXPECT_GT(distinct, 1000);
}

}  // namespace
}  // namespace quorbel
