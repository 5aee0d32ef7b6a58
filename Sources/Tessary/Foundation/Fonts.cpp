#include "Foundation/Fonts.h"

#include "Foundation/Log.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <cmath>
#include <cstdlib>

namespace {

QFont::Weight qtWeight(Fonts::Weight weight) {
    switch (weight) {
    case Fonts::Weight::regular:
        return QFont::Normal;
    case Fonts::Weight::medium:
        return QFont::Medium;
    case Fonts::Weight::semibold:
        return QFont::DemiBold;
    }
    return QFont::Normal;
}

// Overlay sizes are device-independent pixels, not typographic points at the screen's DPI.
void applySize(QFont& font, double size) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
}

// A font counts as found only when fontconfig actually has its family.
std::optional<QFont> usable(QFont font) {
    const QString family = QFontInfo(font).family();
    if (family.isEmpty() || !QFontDatabase::hasFamily(family)) {
        return std::nullopt;
    }
    return font;
}

std::optional<QFont> named(const QString& family, double size, bool fixedPitch) {
    if (!QFontDatabase::hasFamily(family)) {
        return std::nullopt;
    }
    QFont font(family);
    applySize(font, size);
    font.setFixedPitch(fixedPitch);
    return usable(font);
}

std::optional<QFont> systemFont(QFontDatabase::SystemFont kind, double size,
                                std::optional<Fonts::Weight> weight) {
    QFont font = QFontDatabase::systemFont(kind);
    applySize(font, size);
    if (weight) {
        font.setWeight(qtWeight(*weight));
    }
    return usable(font);
}

QString sizeText(double size) {
    return QString::number(size, 'f', 1);
}

} // namespace

namespace Fonts {

QString weightName(Weight weight) {
    switch (weight) {
    case Weight::regular:
        return QStringLiteral("regular");
    case Weight::medium:
        return QStringLiteral("medium");
    case Weight::semibold:
        return QStringLiteral("semibold");
    }
    return {};
}

QFont resolve(const QString& description, const std::vector<Candidate>& candidates,
              const std::function<void()>& fatal) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        std::optional<QFont> font = candidates[i] ? candidates[i]() : std::nullopt;
        if (!font) {
            continue;
        }
        if (i > 0) {
            Log::error(QStringLiteral("字体解析失败，已退到第 ") + QString::number(i) +
                       QStringLiteral(" 档兜底：") + description + QStringLiteral(" → ") +
                       QFontInfo(*font).family());
        }
        return *font;
    }
    Log::error(QStringLiteral("字体子系统不可用，所有兜底档位都解析失败：") + description);
    if (fatal) {
        fatal();
    } else {
        std::abort();
    }
    return QFont();
}

QFont system(double size, Weight weight) {
    const QString description = QStringLiteral("systemFont(size: ") + sizeText(size) +
                                QStringLiteral(", weight: ") + weightName(weight) + QStringLiteral(")");
    return resolve(description,
                   {
                       [=] { return systemFont(QFontDatabase::GeneralFont, size, weight); },
                       [=] { return systemFont(QFontDatabase::GeneralFont, size, std::nullopt); },
                       [=] {
                           QFont font = QGuiApplication::font();
                           applySize(font, size);
                           return usable(font);
                       },
                       [=] { return named(QStringLiteral("DejaVu Sans"), size, false); },
                   });
}

QFont monospaced(double size, Weight weight) {
    const QString description = QStringLiteral("monospacedSystemFont(size: ") + sizeText(size) +
                                QStringLiteral(", weight: ") + weightName(weight) + QStringLiteral(")");
    return resolve(description,
                   {
                       [=] { return systemFont(QFontDatabase::FixedFont, size, weight); },
                       // UI faces set digits at equal widths by default, which is all a readout needs.
                       [=] { return systemFont(QFontDatabase::GeneralFont, size, weight); },
                       [=] {
                           QFont font(QStringLiteral("monospace"));
                           font.setStyleHint(QFont::Monospace);
                           applySize(font, size);
                           return usable(font);
                       },
                       [=] { return named(QStringLiteral("DejaVu Sans Mono"), size, true); },
                       [=] { return named(QStringLiteral("Nimbus Mono PS"), size, true); },
                       [=] { return systemFont(QFontDatabase::GeneralFont, size, std::nullopt); },
                   });
}

} // namespace Fonts
