#include "cli/run_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "format/num_string_format.h"
#include "run/save_options.h"

namespace tessmar::cli {

namespace {

std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Compose(const std::string& where, const std::string& table, const std::string& key,
                    const std::string& what) {
  std::string m = where + ": ";
  if (!table.empty()) m += "[" + table + "]" + (key.empty() ? ": " : " ");
  if (!key.empty()) m += key + ": ";
  return m + what;
}

// Lines of a document, for cutting the literal text of a number out of it.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto nl = text.find('\n', start);
    const auto end = nl == std::string_view::npos ? text.size() : nl;
    lines.push_back(text.substr(start, end - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

// Byte offset of a 1-based column counted in code points.
std::size_t ByteOfColumn(std::string_view line, std::size_t column) {
  std::size_t cp = 1, i = 0;
  while (i < line.size() && cp < column) {
    ++i;
    while (i < line.size() && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) ++i;
    ++cp;
  }
  return i;
}

// A TOML float read from its literal text in full extended precision; the
// parser's double when the text cannot be recovered.
Real FloatFromSource(const toml::node& node, double fallback,
                     const std::vector<std::string_view>& lines, std::string& literal) {
  const auto& src = node.source();
  literal.clear();
  if (src.begin.line == src.end.line && src.begin.line >= 1 && src.begin.line <= lines.size()) {
    const std::string_view line = lines[src.begin.line - 1];
    const std::size_t b = ByteOfColumn(line, src.begin.column);
    const std::size_t e = ByteOfColumn(line, src.end.column);
    if (b < e) literal = std::string(line.substr(b, e - b));
  }
  std::string digits;
  for (char c : literal) {
    if (c == '_') continue;
    digits += c;
  }
  const bool plausible =
      !digits.empty() && digits.find_first_not_of("0123456789+-.eE") == std::string::npos;
  if (plausible) {
    long double x = 0;
    const char* first = digits.data();
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, digits.data() + digits.size(), x);
    // Guard against a region that is not the value: it must read completely
    // and agree with the parser's double, unless the double overflowed or
    // underflowed where the extended real did not.
    const bool agrees =
        std::fabs(static_cast<double>(x) - fallback) <= 1e-12 * std::fabs(fallback) ||
        ((std::isinf(fallback) || fallback == 0) && std::isfinite(x));
    if (ec == std::errc() && ptr == digits.data() + digits.size() && agrees) return x;
  }
  std::ostringstream os;
  os.precision(17);
  os << fallback;
  literal = os.str();
  return fallback;
}

std::string TypeName(const toml::node& node) {
  std::ostringstream os;
  os << node.type();
  return os.str();
}

RunValue ValueOf(const toml::node& node, const std::vector<std::string_view>& lines) {
  RunValue v;
  if (const auto* s = node.as_string()) {
    v.type = RunValue::Type::String;
    v.text = s->get();
  } else if (const auto* i = node.as_integer()) {
    v.type = RunValue::Type::Integer;
    v.integer = i->get();
    v.text = std::to_string(v.integer);
  } else if (const auto* f = node.as_floating_point()) {
    v.type = RunValue::Type::Float;
    v.real = FloatFromSource(node, f->get(), lines, v.text);
  } else if (const auto* b = node.as_boolean()) {
    v.type = RunValue::Type::Bool;
    v.boolean = b->get();
    v.text = v.boolean ? "true" : "false";
  } else {
    v.type = RunValue::Type::Other;
  }
  v.typeName = TypeName(node);
  return v;
}

struct Pos {
  std::size_t line = 0, column = 0;
  bool operator<(const Pos& o) const { return line != o.line ? line < o.line : column < o.column; }
};

Pos PosOf(const toml::source_region& r) {
  return {r.begin.line, r.begin.column};
}

std::string At(const std::string& file, std::size_t line) {
  return file + ":" + std::to_string(line);
}

std::vector<RunKey> KeysOf(const toml::table& table, const std::string& file,
                           const std::vector<std::string_view>& lines) {
  std::vector<std::pair<Pos, RunKey>> keys;
  for (auto&& [k, v] : table) {
    Pos p = PosOf(k.source());
    if (p.line == 0) p = PosOf(v.source());
    keys.push_back({p, RunKey{std::string(k.str()), ValueOf(v, lines), At(file, p.line)}});
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<RunKey> out;
  for (auto& k : keys) out.push_back(std::move(k.second));
  return out;
}

RunAnswer MakeAnswer(const std::string& question, const RunValue& value, const std::string& where) {
  if (Trim(question).empty())
    throw RunError(where, "answers", "\"\"", "an empty question would answer every question");
  if (value.type != RunValue::Type::String)
    throw RunError(where, "answers", "\"" + question + "\"",
                   "expects a button name in quotes (\"Yes\", \"No\", \"OK\" ...)");
  const auto b = ParseButton(value.text);
  if (!b)
    throw RunError(
        where, "answers", "\"" + question + "\"",
        "unknown button \"" + value.text +
            "\"; use OK, Cancel, Yes, No, Retry, Abort, Ignore, Yes to all or No to all");
  return RunAnswer{question, *b, where};
}

// A --set option taken apart: "table.key=value", "table.N.key=value".
struct SetOption {
  std::string table, key, value, where;
  int index = 0;
};

SetOption SplitSet(const std::string& arg) {
  SetOption s;
  const auto eq = arg.find('=');
  const std::string lhs = Trim(arg.substr(0, eq == std::string::npos ? arg.size() : eq));
  s.where = "--set " + lhs;
  const auto dot = lhs.find('.');
  if (eq == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= lhs.size())
    throw RunError("--set " + arg, "", "", "expects table.key=value");
  s.table = Trim(lhs.substr(0, dot));
  std::string rest = lhs.substr(dot + 1);
  if (s.table != "answers") {
    const auto dot2 = rest.find('.');
    if (dot2 != std::string::npos && dot2 > 0 &&
        std::all_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dot2),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
      s.index = std::stoi(rest.substr(0, std::min<std::size_t>(dot2, 6)));
      if (s.index < 1) throw RunError(s.where, s.table, "", "elements are counted from 1");
      rest = rest.substr(dot2 + 1);
    }
  }
  s.key = Trim(rest);
  s.value = Trim(arg.substr(eq + 1));
  if (s.key.empty()) throw RunError("--set " + arg, "", "", "expects table.key=value");
  return s;
}

// The value of a --set: a TOML value when it reads as one, else the text itself.
RunValue SetValue(const std::string& text) {
  const std::string doc = "v = " + text;
  try {
    const toml::table t = toml::parse(std::string_view(doc), std::string_view("--set"));
    if (const toml::node* n = t.get("v"); n && t.size() == 1) return ValueOf(*n, SplitLines(doc));
  } catch (const toml::parse_error&) {
  }
  RunValue v;
  v.type = RunValue::Type::String;
  v.text = text;
  v.typeName = "string";
  return v;
}

void ApplySet(RunFile& file, const std::string& arg) {
  const SetOption s = SplitSet(arg);
  const RunValue value = SetValue(s.value);
  if (s.table == "answers") {
    RunAnswer a = MakeAnswer(s.key, value, s.where);
    auto& list = file.answers;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const RunAnswer& x) { return x.question == a.question; }),
               list.end());
    list.push_back(std::move(a));
    return;
  }
  std::vector<RunTableEntry*> found;
  for (auto& t : file.tables)
    if (t.name == s.table) found.push_back(&t);
  RunTableEntry* target = nullptr;
  if (found.empty()) {
    if (s.index > 0)
      throw RunError(s.where, s.table, "",
                     "the file has no [[" + s.table + "]] element " + std::to_string(s.index));
    file.tables.push_back(RunTableEntry{s.table, false, 0, s.where, {}});
    target = &file.tables.back();
  } else if (found.front()->repeated) {
    if (s.index == 0)
      throw RunError(s.where, s.table, s.key,
                     "[[" + s.table + "]] is repeated; choose an element: --set " + s.table +
                         ".N." + s.key + "=...");
    if (s.index > static_cast<int>(found.size()))
      throw RunError(s.where, s.table, "",
                     "the file has " + std::to_string(found.size()) + " [[" + s.table +
                         "]] elements, not " + std::to_string(s.index));
    target = found[static_cast<std::size_t>(s.index - 1)];
  } else {
    if (s.index > 0) throw RunError(s.where, s.table, "", "[" + s.table + "] is not repeated");
    target = found.front();
  }
  auto& keys = target->keys;
  keys.erase(
      std::remove_if(keys.begin(), keys.end(), [&](const RunKey& k) { return k.name == s.key; }),
      keys.end());
  keys.push_back(RunKey{s.key, value, s.where});
}

std::string Expectation(FieldKind kind) {
  switch (kind) {
    case FieldKind::Real: return "a real number";
    case FieldKind::Integer: return "a whole number";
    case FieldKind::Check: return "true or false";
    case FieldKind::Choice: return "an item index or caption";
    case FieldKind::Text: return "text in quotes";
    case FieldKind::Button: return "nothing (it is a button)";
  }
  return "?";
}

std::string Described(const RunValue& v) {
  switch (v.type) {
    case RunValue::Type::String: return "the string \"" + v.text + "\"";
    case RunValue::Type::Integer: return "the integer " + v.text;
    case RunValue::Type::Float: return "the number " + v.text;
    case RunValue::Type::Bool: return "the boolean " + v.text;
    case RunValue::Type::Other: break;
  }
  const char first = v.typeName.empty() ? 'x' : v.typeName[0];
  const bool vowel = std::string_view("aeiou").find(first) != std::string_view::npos;
  return std::string(vowel ? "an " : "a ") + v.typeName;
}

std::string ItemList(const Field& f) {
  std::string out;
  for (std::size_t i = 0; i < f.Items().size(); ++i) {
    if (i) out += ", ";
    out += std::to_string(i) + " \"" + StripAmpersands(f.Items()[i]) + "\"";
  }
  return out;
}

// What is wrong with giving this value to this field, found without setting
// it; empty when nothing is. Ranges and the dialog's own rules are left to
// the field itself.
std::string TypeProblem(const Field& f, const RunValue& v) {
  const FieldKind k = f.Kind();
  const std::string wrong = "expects " + Expectation(k) + ", not " + Described(v);
  if (k == FieldKind::Button) return "is a button, not a value";
  switch (v.type) {
    case RunValue::Type::Other: return wrong;
    case RunValue::Type::Bool: return k == FieldKind::Check ? "" : wrong;
    case RunValue::Type::Integer: return k == FieldKind::Check || k == FieldKind::Text ? wrong : "";
    case RunValue::Type::Float:
      if (k == FieldKind::Real) return "";
      if (k == FieldKind::Integer)
        return v.real == std::floor(v.real) ? "" : "expects a whole number, not " + v.text;
      return wrong;
    case RunValue::Type::String: break;
  }
  const std::string t = Trim(v.text);
  switch (k) {
    case FieldKind::Real: {
      Real x = 0;
      const TNumStringFormat fallback;
      const TNumStringFormat& fmt = f.Format() ? *f.Format() : fallback;
      if (t.empty() || !fmt.TryParse(t, x)) return "\"" + v.text + "\" is not a number";
      return "";
    }
    case FieldKind::Integer: {
      long long n = 0;
      const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
      if (t.empty() || ec != std::errc() || p != t.data() + t.size())
        return "\"" + v.text + "\" is not a whole number";
      return "";
    }
    case FieldKind::Check: {
      static const char* const kWords[] = {"true", "false", "1", "0", "yes", "no", "on", "off"};
      const std::string l = Lower(t);
      for (const char* w : kWords)
        if (l == w) return "";
      return "expects true or false, not \"" + v.text + "\"";
    }
    case FieldKind::Choice: {
      if (f.ItemIndex(t)) return "";
      long long n = 0;
      const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
      if (!t.empty() && ec == std::errc() && p == t.data() + t.size()) return "";
      return "has no item \"" + v.text + "\" (items: " + ItemList(f) + ")";
    }
    default: return "";
  }
}

const RunTable* FindTable(const std::vector<RunTable>& tables, std::string_view name) {
  for (const auto& t : tables)
    if (t.Key == name) return &t;
  return nullptr;
}

std::string TableList(const std::vector<RunTable>& tables) {
  std::string out;
  for (const auto& t : tables) out += (out.empty() ? "" : ", ") + t.Key;
  return out + (out.empty() ? "" : ", ") + "answers";
}

// The message of a FieldError without the field's name when that name is
// already the key of the message.
std::string FieldMessage(const FieldError& e, const std::string& key) {
  const std::string what = e.what();
  const std::string prefix = e.Field() + ": ";
  if (e.Field() == key && what.compare(0, prefix.size(), prefix) == 0)
    return what.substr(prefix.size());
  return what;
}

}  // namespace

RunError::RunError(std::string where, std::string table, std::string key, std::string what,
                   int status)
    : std::runtime_error(Compose(where, table, key, what)),
      where_(std::move(where)),
      table_(std::move(table)),
      key_(std::move(key)),
      what_(std::move(what)),
      status_(status) {}

std::vector<const RunTableEntry*> RunFile::Find(std::string_view table) const {
  std::vector<const RunTableEntry*> out;
  for (const auto& t : tables)
    if (t.name == table) out.push_back(&t);
  return out;
}

RunFile ParseRunFile(std::string_view text, const std::string& name,
                     const std::vector<std::string>& sets) {
  toml::table root;
  try {
    root = toml::parse(text, std::string_view(name));
  } catch (const toml::parse_error& e) {
    throw RunError(At(name, e.source().begin.line), "", "", std::string(e.description()));
  }
  const auto lines = SplitLines(text);
  RunFile file;
  file.name = name;
  std::vector<std::pair<Pos, RunTableEntry>> entries;
  std::vector<std::pair<Pos, RunAnswer>> answers;
  for (auto&& [k, node] : root) {
    const std::string key(k.str());
    const Pos keyPos = PosOf(k.source());
    if (key == "answers") {
      const auto* t = node.as_table();
      if (!t) throw RunError(At(name, keyPos.line), "answers", "", "must be a table");
      for (auto&& [q, v] : *t) {
        const Pos p = PosOf(q.source());
        answers.push_back(
            {p, MakeAnswer(std::string(q.str()), ValueOf(v, lines), At(name, p.line))});
      }
    } else if (const auto* t = node.as_table()) {
      Pos p = PosOf(t->source());
      if (p.line == 0) p = keyPos;
      entries.push_back(
          {p, RunTableEntry{key, false, 0, At(name, p.line), KeysOf(*t, name, lines)}});
    } else if (const auto* a = node.as_array(); a && !a->empty() && a->is_array_of_tables()) {
      int index = 0;
      for (auto&& element : *a) {
        const auto& t = *element.as_table();
        Pos p = PosOf(t.source());
        if (p.line == 0) p = keyPos;
        entries.push_back(
            {p, RunTableEntry{key, true, ++index, At(name, p.line), KeysOf(t, name, lines)}});
      }
    } else {
      throw RunError(At(name, keyPos.line), "", key,
                     "a value outside any table; write it under its dialog's table");
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::stable_sort(answers.begin(), answers.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& e : entries) file.tables.push_back(std::move(e.second));
  for (auto& a : answers) file.answers.push_back(std::move(a.second));
  for (const auto& s : sets) ApplySet(file, s);
  return file;
}

RunFile LoadRunFile(const std::string& path, const std::vector<std::string>& sets) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RunError(path, "", "", "cannot open the run file");
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) throw RunError(path, "", "", "cannot read the run file");
  return ParseRunFile(buf.str(), path, sets);
}

std::vector<RunError> CheckRunFile(const RunFile& file, const std::vector<RunTable>& tables) {
  std::vector<RunError> errors;
  for (const auto& entry : file.tables) {
    const RunTable* table = FindTable(tables, entry.name);
    if (!table) {
      errors.emplace_back(entry.where, entry.name, "",
                          "unknown table (the tables are: " + TableList(tables) + ")");
      continue;
    }
    if (table->Repeated && !entry.repeated)
      errors.emplace_back(entry.where, entry.name, "",
                          "is a repeated table; write [[" + entry.name + "]]");
    if (!table->Repeated && entry.repeated)
      errors.emplace_back(entry.where, entry.name, "",
                          "is a single table; write [" + entry.name + "]");
    for (const auto& key : entry.keys) {
      const Field* f = table->Model ? table->Model->Find(key.name) : nullptr;
      if (!f) {
        std::string hint;
        if (table->Model)
          for (const auto& other : table->Model->Fields())
            if (other.Kind() != FieldKind::Button && Lower(other.Name()) == Lower(key.name))
              hint = " (did you mean " + other.Name() + "?)";
        errors.emplace_back(key.where, entry.name, key.name, "unknown key" + hint);
        continue;
      }
      if (std::string p = TypeProblem(*f, key.value); !p.empty())
        errors.emplace_back(key.where, entry.name, key.name, p);
    }
  }
  return errors;
}

void SetFieldValue(Field& field, const RunValue& value) {
  if (value.type != RunValue::Type::String) {
    if (std::string p = TypeProblem(field, value); !p.empty()) throw FieldError(field.Name(), p);
  }
  switch (value.type) {
    case RunValue::Type::String: field.SetText(value.text); return;
    case RunValue::Type::Integer:
      if (field.Kind() == FieldKind::Real)
        field.Set(static_cast<Real>(value.integer));
      else
        field.Set(value.integer);
      return;
    case RunValue::Type::Float: field.Set(value.real); return;
    case RunValue::Type::Bool: field.Set(value.boolean); return;
    case RunValue::Type::Other: break;
  }
  throw FieldError(field.Name(), "expects " + Expectation(field.Kind()));
}

void ApplyRunFile(const RunFile& file, std::vector<RunTable>& tables, const ApplyOptions& options) {
  for (const auto& entry : file.tables) {
    if (options.include && !options.include(entry)) continue;
    RunTable* table = nullptr;
    for (auto& t : tables)
      if (t.Key == entry.name) table = &t;
    if (!table) throw RunError(entry.where, entry.name, "", "unknown table");
    const std::string* current = nullptr;  // the key being applied, for messages
    try {
      if (table->Before) table->Before();
      for (const auto& key : entry.keys) {
        current = &key.name;
        if (!table->Model) throw FieldError(key.name, "unknown key");
        try {
          SetFieldValue(table->Model->At(key.name), key.value);
        } catch (const FieldError& e) {
          throw RunError(key.where, entry.name, key.name, FieldMessage(e, key.name));
        } catch (const ActionRefused& e) {
          throw RunError(key.where, entry.name, key.name, e.what());
        } catch (const RunError&) {
          throw;
        } catch (const std::exception& e) {
          throw RunError(key.where, entry.name, key.name, e.what(), kExitRunFailed);
        }
      }
      current = nullptr;
      const bool deferred = std::find(options.deferActions.begin(), options.deferActions.end(),
                                      entry.name) != options.deferActions.end();
      if (table->Action && !deferred) table->Action();
    } catch (const RunError&) {
      throw;
    } catch (const ActionRefused& e) {
      throw RunError(entry.where, entry.name, "", std::string("refused: ") + e.what());
    } catch (const FieldError& e) {
      throw RunError(entry.where, entry.name, current ? *current : e.Field(),
                     current ? FieldMessage(e, *current) : FieldMessage(e, e.Field()));
    } catch (const std::exception& e) {
      throw RunError(entry.where, entry.name, "", e.what(), kExitRunFailed);
    }
  }
}

namespace {

// The time written in a name without its unit: "[0...][#]digits[p digits][E[+-]digits]".
std::optional<Real> ReadNameNumber(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  // Leading blanks were written as zeros, also in front of the "#" of a minus.
  const auto hash = s.find('#');
  if (hash != std::string_view::npos) {
    if (s.substr(0, hash).find_first_not_of('0') != std::string_view::npos) return std::nullopt;
    negative = true;
    i = hash + 1;
  }
  std::string canon = negative ? "-" : "";
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) canon += s[i++], ++digits;
  if (i < s.size() && (s[i] == 'p' || s[i] == 'P')) {
    canon += '.';
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
      canon += s[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    canon += 'e';
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) canon += s[i++];
    std::size_t expDigits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
      canon += s[i++], ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  long double x = 0;
  const auto [p, ec] = std::from_chars(canon.data(), canon.data() + canon.size(), x);
  if (ec != std::errc() || p != canon.data() + canon.size()) return std::nullopt;
  return x;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == Lower(tail);
}

}  // namespace

std::optional<Real> TimeFromProfileName(std::string_view stem, Real scal, std::string_view addStr) {
  std::string_view name = stem;
  if (const auto sep = name.find_last_of("/\\"); sep != std::string_view::npos)
    name = name.substr(sep + 1);
  if (const auto dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  if (!addStr.empty() && EndsWithNoCase(name, addStr)) {
    if (scal == 0) return std::nullopt;
    if (auto x = ReadNameNumber(name.substr(0, name.size() - addStr.size()))) return *x / scal;
  }
  if (scal != 0)
    if (auto x = ReadNameNumber(name)) return *x / scal;
  // A name written with other save options: the units that leaving Scal sets.
  static const struct {
    const char* unit;
    Real scal;
  } kUnits[] = {{"mks", 1e6L}, {"ms", 1e3L}, {"ns", 1e9L}, {"ps", 1e12L}, {"fs", 1e15L}};
  for (const auto& u : kUnits) {
    if (!EndsWithNoCase(name, u.unit)) continue;
    if (auto x = ReadNameNumber(name.substr(0, name.size() - std::string_view(u.unit).size())))
      return *x / u.scal;
  }
  return std::nullopt;
}

std::optional<Real> TimeFromProfileName(const std::string& stem, const TSaveFileOptions& options) {
  return TimeFromProfileName(stem, options.Scal, options.AddStr);
}

}  // namespace tessmar::cli
