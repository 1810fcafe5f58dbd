#include "cli/batch_port.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace tessmar::cli {

namespace {

bool PrefixNoCase(std::string_view prefix, std::string_view text) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(prefix[i])) !=
        std::tolower(static_cast<unsigned char>(text[i])))
      return false;
  return true;
}

// "text" with the text escaped; built by appending, which also keeps g++ 12
// from a false -Wrestrict on "literal" + std::string&&.
std::string Quoted(std::string_view text) {
  std::string q(1, '"');
  q += Escaped(text);
  q += '"';
  return q;
}

std::string ButtonList(const ButtonSet& buttons) {
  std::string out;
  for (Button b : buttons.Items()) {
    if (!out.empty()) out += ", ";
    out += ButtonCaption(b);
  }
  return out;
}

const char* SoundName(Sound s) {
  switch (s) {
    case Sound::Error: return "error";
    case Sound::Question: return "question";
    case Sound::Exclamation: return "exclamation";
    case Sound::Beep: return "beep";
  }
  return "?";
}

}  // namespace

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out;
}

Button BatchDefault(std::string_view question, const ButtonSet& buttons) {
  if (question.rfind("Save(print) settings?", 0) == 0 && buttons.Has(Button::No)) return Button::No;
  return SafeDefault(buttons);
}

BatchQuestionPort::BatchQuestionPort(std::ostream& log, std::vector<RunAnswer> answers)
    : log_(log), answers_(std::move(answers)) {}

void BatchQuestionPort::Line(const std::string& text) {
  if (BeforeOutput) BeforeOutput();
  log_ << text << '\n';
  log_.flush();
}

const RunAnswer* BatchQuestionPort::Match(std::string_view question) const {
  const RunAnswer* best = nullptr;
  for (const auto& a : answers_)
    if (PrefixNoCase(a.question, question) && (!best || a.question.size() > best->question.size()))
      best = &a;
  return best;
}

Button BatchQuestionPort::Ask(std::string_view text, ButtonSet buttons, MessageKind) {
  ++questions_;
  const RunAnswer* a = Match(text);
  if (a && !buttons.Has(a->button)) {
    std::string what = "the answer ";
    what += ButtonCaption(a->button);
    what += " is not offered by the question " + Quoted(text) + " (its buttons: ";
    what += ButtonList(buttons) + ")";
    AnswerNotOffered e(a->where, "answers", Quoted(a->question), what);
    Line("question: " + Quoted(text) + " -> no answer: " + e.What());
    if (!failure_) failure_ = e;
    throw e;
  }
  const Button answer = a ? a->button : BatchDefault(text, buttons);
  std::string line = "question: " + Quoted(text) + " -> ";
  line += ButtonCaption(answer);
  if (!a)
    line += " (default)";
  else if (trace_)
    line += " (" + a->where + ")";
  Line(line);
  return answer;
}

void BatchQuestionPort::Inform(std::string_view text, MessageKind kind) {
  if (kind == MessageKind::Error) errors_.emplace_back(text);
  Line("message: " + Escaped(text));
}

std::optional<FileAnswer> BatchQuestionPort::ChooseFile(const FileRequest& request) {
  namespace fs = std::filesystem;
  if (request.fileName.empty()) {
    Line("file: \"" + Escaped(request.title) + "\" -> cancelled (no name proposed)");
    return std::nullopt;
  }
  fs::path name(request.fileName);
  if (!name.has_parent_path() && !request.initialDir.empty())
    name = fs::path(request.initialDir) / name;
  if (!name.has_extension() && !request.defaultExt.empty()) {
    std::string ext = request.defaultExt;
    if (ext.front() != '.') ext.insert(ext.begin(), '.');
    name += ext;
  }
  std::error_code ec;
  if (request.mode == FileMode::Open && request.mustExist && !fs::exists(name, ec)) {
    Line("file: \"" + Escaped(request.title) + "\" -> cancelled (" + name.string() +
         " does not exist)");
    return std::nullopt;
  }
  if (trace_) Line("file: \"" + Escaped(request.title) + "\" -> " + name.string());
  return FileAnswer{name.string(), request.filterIndex};
}

std::optional<std::string> BatchQuestionPort::ChooseDirectory(std::string_view title,
                                                              std::string_view initialDir) {
  std::string dir(initialDir.empty() ? std::string_view(defaultDir_) : initialDir);
  if (dir.empty()) {
    Line("directory: \"" + Escaped(title) + "\" -> cancelled (no directory proposed)");
    return std::nullopt;
  }
  if (trace_) Line("directory: \"" + Escaped(title) + "\" -> " + dir);
  return dir;
}

void BatchQuestionPort::Notify(Sound sound) {
  if (trace_) Line(std::string("sound: ") + SoundName(sound));
}

}  // namespace tessmar::cli
