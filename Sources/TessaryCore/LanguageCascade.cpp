#include "TessaryCore/LanguageCascade.h"

#include <algorithm>

namespace tessary {

LanguageCascade::LanguageCascade(std::vector<std::string> languages) {
    for (const std::string& language : languages) {
        m_cjk.push_back(writesCjk(language));
        m_japanese.push_back(language.starts_with("jpn"));
    }
}

bool LanguageCascade::writesCjk(const std::string& language) {
    return language.starts_with("chi_") || language.starts_with("jpn");
}

bool LanguageCascade::accepts(const Reading& reading) const {
    if (reading.model >= m_cjk.size() || reading.confidence < acceptedConfidence) {
        return false;
    }
    // A CJK model also reads Latin letters; a line it finds none of its own characters on may be
    // read better by an alphabetic model.
    if (!m_cjk[reading.model]) {
        return reading.weakestWord >= acceptedWeakestWord;
    }
    return reading.hasCjk && (!m_japanese[reading.model] || reading.hasKana);
}

std::optional<std::size_t> LanguageCascade::next(const std::vector<Reading>& tried) const {
    if (m_cjk.empty()) {
        return std::nullopt;
    }
    if (tried.empty()) {
        if (m_recent) {
            return m_recent;
        }
        // With nothing to go by, the alphabetic model: it is the smallest, so a wrong guess costs
        // least, and the CJK models read Latin letters too but less well.
        const auto alphabetic = std::find(m_cjk.begin(), m_cjk.end(), false);
        return alphabetic == m_cjk.end() ? 0 : std::size_t(alphabetic - m_cjk.begin());
    }
    bool latinOnly = false;
    for (const Reading& reading : tried) {
        if (accepts(reading)) {
            return std::nullopt;
        }
        // A CJK model that confidently found only Latin text: no other CJK model will do better.
        latinOnly = latinOnly || (reading.model < m_cjk.size() && m_cjk[reading.model] && !reading.hasCjk &&
                                  reading.confidence >= acceptedConfidence);
    }
    const auto untried = [&](std::size_t model) {
        return std::none_of(tried.begin(), tried.end(),
                            [model](const Reading& reading) { return reading.model == model; });
    };
    // CJK models first: after a failed alphabetic reading the line most likely holds CJK text.
    for (const bool cjk : {true, false}) {
        if (cjk && latinOnly) {
            continue;
        }
        for (std::size_t model = 0; model < m_cjk.size(); ++model) {
            if (m_cjk[model] == cjk && untried(model)) {
                return model;
            }
        }
    }
    return std::nullopt;
}

std::size_t LanguageCascade::settle(const std::vector<Reading>& tried) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < tried.size(); ++i) {
        if (tried[i].confidence > tried[best].confidence) {
            best = i;
        }
    }
    if (!tried.empty()) {
        m_recent = tried[best].model;
    }
    return best;
}

} // namespace tessary
