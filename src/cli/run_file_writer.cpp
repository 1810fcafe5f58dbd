#include "cli/run_file_writer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/batch_port.h"
#include "dialog/num_format_dialog.h"

namespace tessmar::cli {

namespace {

// Fields a replay must not type: values that follow from others or from the
// run itself, and places that the runner decides.
bool Skipped(const TSession& s, const std::string& table, const Field& f) {
  if (f.Kind() == FieldKind::Button) return true;
  const std::string& n = f.Name();
  if (table == "save") return n == "DirLabel";  // the runner's -o is the directory
  if (table == "run") {
    const TMainForm& m = s.Form;
    // The twin fields in units of L/UnitScale follow from the internal ones
    // (typing both would round twice); the current time is written only when
    // it was edited to set the time a run continues from.
    if (n == "EndTmLV") return true;
    if (n == "dtLV") return !m.dtLVModified;
    if (n == "TotalTime") return !m.TotalTimeModified;
    if (n == "TimeLV") return !m.TimeLVModified;
  }
  return false;
}

std::string ChoiceCaption(const Field& f, int i);

std::string ValueText(const Field& f) {
  const FieldValue v = f.Get();
  switch (f.Kind()) {
    case FieldKind::Real: return TomlReal(std::get<Real>(v));
    case FieldKind::Integer: return std::to_string(std::get<long long>(v));
    case FieldKind::Check: return std::get<bool>(v) ? "true" : "false";
    case FieldKind::Choice:
      // The caption reads better; the index when two captions look alike.
      return ChoiceCaption(f, static_cast<int>(std::get<long long>(v)));
    case FieldKind::Text: return TomlString(std::get<std::string>(v));
    case FieldKind::Button: return {};
  }
  return {};
}

bool BareKey(const std::string& k) {
  return !k.empty() && std::all_of(k.begin(), k.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '-';
  });
}

// The EOS dialog clears its type choice once OK has installed the model; the
// type in force is the context's.
std::string ChoiceCaption(const Field& f, int i) {
  if (i < 0 || i >= static_cast<int>(f.Items().size())) return {};
  const std::string caption = StripAmpersands(f.Items()[static_cast<std::size_t>(i)]);
  const auto found = f.ItemIndex(caption);
  return found && *found == i ? TomlString(caption) : std::to_string(i);
}

std::string Override(const TSession& s, const std::string& table, const Field& f) {
  if (f.Name() != "EqType" || std::get<long long>(f.Get()) >= 0) return {};
  if (table == "eos") return ChoiceCaption(f, s.Ctx.EOSType);
  if (table == "eos_left") return ChoiceCaption(f, s.Ctx.EOSTypel);
  return {};
}

void WriteTable(std::ostringstream& out, TSession& s, const std::string& key,
                const DialogModel& model) {
  out << "\n[" << key << "]\n";
  for (const Field& f : model.Fields()) {
    if (Skipped(s, key, f)) continue;
    std::string value = Override(s, key, f);
    if (value.empty()) value = ValueText(f);
    if (value.empty()) continue;  // a choice with nothing chosen
    out << (BareKey(f.Name()) ? f.Name() : TomlString(f.Name())) << " = " << value << '\n';
  }
}

}  // namespace

std::string TomlReal(Real v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  if (v == std::floor(v) && std::fabs(v) < 1e15L) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0Lf", v);
    std::string t = buf;
    return t == "-0" ? "-0.0" : t;
  }
  // The shortest text that reads back to the same 80-bit value (21 digits always do).
  char buf[64];
  std::string t;
  for (int digits = 15; digits <= 21; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*Lg", digits, v);
    t = buf;
    if (std::strtold(buf, nullptr) == v) break;
  }
  const Real a = std::fabs(v);
  if (a > static_cast<Real>(DBL_MAX) || a < static_cast<Real>(DBL_MIN)) return TomlString(t);
  // TOML wants a digit on both sides of the point and a point or exponent.
  if (t.find_first_of(".eE") == std::string::npos) t += ".0";
  return t;
}

// A TOML basic string, escaped as the question log writes question texts.
std::string TomlString(const std::string& text) {
  std::string out(1, '"');
  out += Escaped(text);
  out += '"';
  return out;
}

std::string RunFileText(TSession& session, const RunFileWriteOptions& o) {
  std::ostringstream out;
  out << "# " << (o.comment.empty() ? "Settings of a Tessmar session" : o.comment) << "\n";
  out << "#   tessmar run THIS_FILE.toml -o out\n";
  auto wanted = [&o](const std::string& key) {
    return o.tables.empty() || std::find(o.tables.begin(), o.tables.end(), key) != o.tables.end();
  };
  for (const RunTable& t : session.Tables()) {
    if (t.Repeated || !t.Model || !wanted(t.Key)) continue;
    if (t.Key == "format") {
      // The dialog shows the format of the table when it opens; its own fields
      // may still hold a cancelled edit.
      TNumFormatDialog current;
      current.Load(session.Form.NumStr);
      WriteTable(out, session, t.Key, current);
      continue;
    }
    WriteTable(out, session, t.Key, *t.Model);
  }
  // Answers: the last answer of each question, in the order first asked.
  std::vector<std::string> order;
  std::map<std::string, Button> last;
  for (const auto& [q, b] : o.answers) {
    if (!last.count(q)) order.push_back(q);
    last[q] = b;
  }
  if (!order.empty()) {
    out << "\n[answers]\n";
    for (const auto& q : order)
      out << TomlString(q) << " = " << TomlString(std::string(ButtonCaption(last[q]))) << '\n';
  }
  return out.str();
}

bool WriteRunFileText(const std::string& path, const std::string& text, std::string& error) {
  namespace fs = std::filesystem;
  const std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) {
      error = "cannot create " + tmp;
      return false;
    }
    f << text;
    f.close();
    if (!f) {
      error = "cannot write " + tmp;
      std::error_code ec;
      fs::remove(tmp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    error = "cannot write " + path + ": " + ec.message();
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace tessmar::cli
