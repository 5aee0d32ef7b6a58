#include "TessaryCore/RecognitionLanguages.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace tessary;

namespace {

using Languages = std::vector<std::string>;

struct SubsetCase {
    const char* name;
    std::optional<Languages> supported;
    Languages expected;
};

TEST(RecognitionLanguagesTest, SupportedSubsetFollowsTheDesiredOrder) {
    const Languages desired = {"jpn", "chi_sim", "eng"};
    const std::vector<SubsetCase> cases = {
        {"all installed, listed in another order",
         Languages{"eng", "osd", "jpn", "chi_sim"},
         {"jpn", "chi_sim", "eng"}},
        {"Japanese missing", Languages{"eng", "chi_sim"}, {"chi_sim", "eng"}},
        {"only English", Languages{"deu", "eng"}, {"eng"}},
        {"none desired installed: everything installed", Languages{"deu", "fra"}, {"deu", "fra"}},
        {"nothing installed", Languages{}, {}},
        {"no exact match: codes compare as whole strings",
         Languages{"jpn_vert", "chi_sim_vert"},
         {"jpn_vert", "chi_sim_vert"}},
        {"list unavailable: the desired list", std::nullopt, {"jpn", "chi_sim", "eng"}},
    };
    for (const SubsetCase& c : cases) {
        EXPECT_EQ(RecognitionLanguages::supportedSubset(desired, c.supported), c.expected) << c.name;
    }
}

TEST(RecognitionLanguagesTest, PackageNamesFollowDebianNaming) {
    EXPECT_EQ(RecognitionLanguages::packageName("eng"), "tesseract-ocr-eng");
    EXPECT_EQ(RecognitionLanguages::packageName("chi_sim"), "tesseract-ocr-chi-sim");
    EXPECT_EQ(RecognitionLanguages::packageName("jpn_vert"), "tesseract-ocr-jpn-vert");
}

} // namespace
