#include "TessaryCore/DeepSeekRequest.h"

#include <nlohmann/json.hpp>

namespace tessary::DeepSeekRequest {

namespace {

constexpr std::string_view promptHead =
    "你是截图翻译引擎。把用户给的 json 数组里每一条 text 翻译成目标语言：";

constexpr std::string_view promptTail =
    "。\n"
    "\n"
    "规则：\n"
    "1. 只输出 json 对象 "
    "{\"items\":[{\"id\":<原样的id>,\"text\":\"<译文>\"}]}，不要任何解释、不要代码块围栏。\n"
    "2. 输出条数必须和输入完全一致，id 必须原样带回，顺序可以不变。\n"
    "3. 源语言不固定，可能是任意语种，也可能一条里混着多种语言，自己判断。\n"
    "4. "
    "某一条本来就已经是目标语言，或者是纯数字、纯符号、网址、邮箱、代码、专有名词缩写这类不该翻的内容，text "
    "返回空字符串 \"\"。\n"
    "5. 译文要尽量简短——它会被贴回截图上原文所在的位置，太长会排不下。在不丢失意思的前提下选更短的说法。\n"
    "6. 保留原文里的数字、金额、日期、单位、人名和产品名，不要改写、不要换算。";

} // namespace

std::string systemPrompt(std::string_view target) {
    std::string prompt;
    prompt.reserve(promptHead.size() + target.size() + promptTail.size());
    prompt.append(promptHead).append(target).append(promptTail);
    return prompt;
}

std::string itemsJson(const std::vector<std::string>& texts) {
    nlohmann::json items = nlohmann::json::array();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        items.push_back({{"id", i}, {"text", texts[i]}});
    }
    try {
        return items.dump();
    } catch (const nlohmann::json::type_error&) {
        // Ill-formed UTF-8 in a text: the server would reject the request anyway.
        return "[]";
    }
}

std::string body(const std::vector<std::string>& texts, std::string_view target, std::string_view model) {
    const nlohmann::json request = {
        {"model", std::string(model)},
        {"messages", nlohmann::json::array({{{"role", "system"}, {"content", systemPrompt(target)}},
                                            {{"role", "user"}, {"content", itemsJson(texts)}}})},
        {"temperature", 0},
        {"reasoning_effort", "none"},
        {"response_format", {{"type", "json_object"}}},
        {"stream", false},
    };
    return request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace tessary::DeepSeekRequest
