#include "base/question_port.h"

#include <algorithm>
#include <cctype>

namespace tessmar {

bool ButtonSet::Has(Button b) const {
  return std::find(buttons_.begin(), buttons_.end(), b) != buttons_.end();
}

namespace {
struct ButtonName {
  Button button;
  std::string_view caption;
};
constexpr ButtonName kButtonNames[] = {
    {Button::Ok, "OK"},           {Button::Cancel, "Cancel"},     {Button::Yes, "Yes"},
    {Button::No, "No"},           {Button::Retry, "Retry"},       {Button::Abort, "Abort"},
    {Button::Ignore, "Ignore"},   {Button::YesToAll, "Yes to all"}, {Button::NoToAll, "No to all"},
};

std::string Squeeze(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' || c == '_' || c == '-' || c == '&') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}
}  // namespace

std::string_view ButtonCaption(Button b) {
  for (const auto& n : kButtonNames)
    if (n.button == b) return n.caption;
  return "?";
}

std::optional<Button> ParseButton(std::string_view text) {
  const std::string key = Squeeze(text);
  for (const auto& n : kButtonNames)
    if (Squeeze(n.caption) == key) return n.button;
  return std::nullopt;
}

Button SafeDefault(const ButtonSet& buttons) {
  if (buttons.Has(Button::Cancel)) return Button::Cancel;
  if (buttons.Has(Button::No)) return Button::No;
  if (buttons.Empty()) return Button::Ok;
  return buttons.Items().back();
}

Button ScriptedQuestionPort::Ask(std::string_view text, ButtonSet buttons, MessageKind kind) {
  Button answer = SafeDefault(buttons);
  if (next_ < answers_.size()) answer = answers_[next_++];
  records.push_back({Record::Type::Ask, std::string(text), buttons, kind, answer});
  return answer;
}

void ScriptedQuestionPort::Inform(std::string_view text, MessageKind kind) {
  records.push_back({Record::Type::Inform, std::string(text), ButtonSet{Button::Ok}, kind,
                     Button::Ok});
}

std::optional<FileAnswer> ScriptedQuestionPort::ChooseFile(const FileRequest& request) {
  fileRequests.push_back(request);
  records.push_back({Record::Type::File, request.title, {}, MessageKind::Information, Button::Ok});
  if (nextFile_ < files_.size()) return files_[nextFile_++];
  return std::nullopt;
}

std::optional<std::string> ScriptedQuestionPort::ChooseDirectory(std::string_view title,
                                                                 std::string_view) {
  records.push_back(
      {Record::Type::Directory, std::string(title), {}, MessageKind::Information, Button::Ok});
  if (nextDir_ < dirs_.size()) return dirs_[nextDir_++];
  return std::nullopt;
}

std::vector<std::string> ScriptedQuestionPort::Texts() const {
  std::vector<std::string> out;
  for (const auto& r : records)
    if (r.type == Record::Type::Ask || r.type == Record::Type::Inform) out.push_back(r.text);
  return out;
}

}  // namespace tessmar
