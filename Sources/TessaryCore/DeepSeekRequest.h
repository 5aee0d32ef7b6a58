#pragma once

#include <string>
#include <string_view>
#include <vector>

// The chat-completions request the DeepSeek engine sends. Any OpenAI-compatible server accepts it.
namespace tessary::DeepSeekRequest {

// Appended to the configured base URL.
inline constexpr std::string_view path = "/chat/completions";

// The fixed instructions with the target identifier inserted as passed in.
std::string systemPrompt(std::string_view target);

// Compact JSON list [{"id":0,"text":...},...]; "[]" when a text is not valid UTF-8.
std::string itemsJson(const std::vector<std::string>& texts);

// The whole JSON body: model, system and user messages, temperature 0, reasoning_effort "none",
// a JSON-object response format and no streaming.
std::string body(const std::vector<std::string>& texts, std::string_view target, std::string_view model);

} // namespace tessary::DeepSeekRequest
