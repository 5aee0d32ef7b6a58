#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

// Decides which single-language model reads a text line. Running every loaded model on every line
// multiplies the work by the number of languages, yet neighbouring lines are nearly always in one
// language: the model that read the previous line goes first, and the others run only while no
// reading is convincing. Not thread-safe; one per reading thread.
class LanguageCascade {
public:
    struct Reading {
        std::size_t model = 0;  // index into the languages
        double confidence = 0;  // mean word confidence, 0–100
        double weakestWord = 0; // lowest word confidence, 0–100
        bool hasCjk = false;    // whether the text holds Han or kana letters
        bool hasKana = false;   // whether it holds kana
    };

    // A reading below this mean confidence is never taken without trying the other models.
    static constexpr double acceptedConfidence = 75;
    // An alphabetic model turns CJK into garbage words of low confidence; one such word in a
    // line sends the line on to the CJK models.
    static constexpr double acceptedWeakestWord = 40;

    // `languages`: the recogniser's codes of the loaded models, in priority order.
    explicit LanguageCascade(std::vector<std::string> languages);

    // Whether a model of this language writes Chinese or Japanese characters ("jpn", "chi_sim").
    static bool writesCjk(const std::string& language);

    // Whether `reading` is good enough to stop trying other models. A Japanese model's reading of
    // Han letters without any kana may be Chinese, which it reads with mid confidence and wrong
    // characters: the Chinese model gets to read it too.
    bool accepts(const Reading& reading) const;

    // The model to run next on a line given the readings made so far (in the order tried), or
    // nothing when one is accepted or no model is worth trying.
    std::optional<std::size_t> next(const std::vector<Reading>& tried) const;

    // The position in `tried` (not empty) of the reading to keep: the most confident one. Its model
    // goes first on the next line.
    std::size_t settle(const std::vector<Reading>& tried);

    // Forgets the model of the previous line: a new image starts over.
    void restart() { m_recent.reset(); }

private:
    std::vector<bool> m_cjk;
    std::vector<bool> m_japanese;
    std::optional<std::size_t> m_recent;
};

} // namespace tessary
