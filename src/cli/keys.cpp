#include "cli/keys.h"

#include <memory>
#include <string>
#include <vector>

#include "base/question_port.h"
#include "cli/batch_port.h"
#include "dialog/dialog_model.h"
#include "run/session.h"

namespace tessmar::cli {

namespace {

std::string DefaultText(const Field& f) {
  const FieldValue& v = f.Default();
  switch (f.Kind()) {
    case FieldKind::Real: {
      const TNumStringFormat g;
      return g.ToText(std::get<Real>(v));
    }
    case FieldKind::Integer: return std::to_string(std::get<long long>(v));
    case FieldKind::Check: return std::get<bool>(v) ? "true" : "false";
    case FieldKind::Choice: {
      const long long i = std::get<long long>(v);
      if (i < 0) return "none";
      return std::to_string(i) + " (" + StripAmpersands(f.Items()[static_cast<std::size_t>(i)]) +
             ")";
    }
    case FieldKind::Text: return "\"" + std::get<std::string>(v) + "\"";
    case FieldKind::Button: return "";
  }
  return "";
}

void PrintModel(std::ostream& out, const RunTable& table) {
  const DialogModel& m = *table.Model;
  const std::string name = table.Repeated ? "[[" + table.Key + "]]" : "[" + table.Key + "]";
  out << name << "  dialog \"" << m.Caption() << "\"\n";
  if (!table.Help.empty()) out << "  " << table.Help << "\n";
  for (const Field& f : m.Fields()) {
    if (f.Kind() == FieldKind::Button) continue;  // actions, not values
    out << "  " << f.Name() << "  (" << FieldKindName(f.Kind()) << ")";
    if (!f.Caption().empty()) out << "  \"" << StripAmpersands(f.Caption()) << "\"";
    out << "  default " << DefaultText(f);
    const TNumStringFormat g;
    if (f.Min() || f.Max()) {
      out << "  range " << (f.Min() ? g.ToText(*f.Min()) : "") << ".."
          << (f.Max() ? g.ToText(*f.Max()) : "");
    }
    out << "\n";
    if (f.Kind() == FieldKind::Choice) {
      for (std::size_t i = 0; i < f.Items().size(); ++i)
        out << "      " << i << " = " << StripAmpersands(f.Items()[i]) << "\n";
    }
    if (!f.HelpText().empty()) out << "      " << f.HelpText() << "\n";
  }
  out << "\n";
}

// The questions a batch run typically meets, where they come from and what
// the batch default does. The default itself is computed by BatchDefault.
struct Question {
  const char* text;
  ButtonSet buttons;
  const char* effect;  // of the default answer
};

const Question kQuestions[] = {
    {"Save(print) settings?",
     {Button::Yes, Button::No, Button::Cancel},
     "asked by the OK of several dialogs; No accepts without printing"},
    {"Use Ion ThermoCond?", {Button::Yes, Button::No}, "[eos]: the lattice conductivity stays off"},
    {"Reset rho0?", {Button::Yes, Button::No}, "[init]: Rho0 keeps the value of the file"},
    {"Use I EOS for glass?",
     {Button::Yes, Button::No, Button::Cancel},
     "[init]: the build stops (no EOS for the second material)"},
    {"Set init (EOS) glass denity to ",
     {Button::Yes, Button::No},
     "[init]: the glass EOS keeps its density"},
    {"With e-i heat exchange (alpha)?",
     {Button::Yes, Button::No},
     "[init]: FixTe without electron-ion exchange"},
    {"Continue current?", {Button::Yes, Button::No}, "[init]: a new state is built"},
    {"Iteration did not agree! ",
     {Button::Yes, Button::No, Button::Cancel, Button::Retry, Button::NoToAll, Button::YesToAll},
     "run: the step is refused; at the floor step the run stops (exit status 1)"},
    {"2 Temp",
     {Button::Yes, Button::No, Button::Cancel},
     "--from: the profile is not loaded (answer Yes or No)"},
    {"With Thermocond",
     {Button::Yes, Button::No, Button::Cancel},
     "--from: the profile is not loaded (answer Yes or No)"},
    {"With Hydrodyn",
     {Button::Yes, Button::No, Button::Cancel},
     "--from: the profile is not loaded (answer Yes or No)"},
    {"Set init (EOS) denity to ",
     {Button::Yes, Button::No, Button::Cancel},
     "--from: the profile is not loaded"},
};

void PrintQuestions(std::ostream& out) {
  out << "Questions a batch run typically meets (default when [answers] has no entry):\n";
  for (const auto& q : kQuestions) {
    out << "  \"" << Escaped(q.text) << "...\"  (";
    for (std::size_t i = 0; i < q.buttons.Items().size(); ++i)
      out << (i ? ", " : "") << ButtonCaption(q.buttons.Items()[i]);
    out << ")  default " << ButtonCaption(BatchDefault(q.text, q.buttons)) << ": " << q.effect
        << "\n";
  }
}

}  // namespace

void PrintKeys(std::ostream& out) {
  out << "Run-file tables and keys. Tables are applied in file order, each key as if\n"
         "typed into its field and left, then the dialog's action runs. A choice takes\n"
         "an item index or its caption; a check takes true or false; numbers may be\n"
         "written as TOML numbers or as text the program's fields accept (\"1,5\",\n"
         "\"2d-3\", \"2.5*10^3\").\n\n";
  TSession session;
  for (const RunTable& t : session.Tables()) {
    if (t.Model) {
      PrintModel(out, t);
    } else {
      out << (t.Repeated ? "[[" + t.Key + "]]" : "[" + t.Key + "]") << "\n";
      if (!t.Help.empty()) out << "  " << t.Help << "\n";
      out << "\n";
    }
  }
  out << "[answers]\n"
         "  \"question text or its beginning\" = \"button\"\n"
         "      The entry with the longest matching beginning answers a question (case is\n"
         "      ignored). Buttons: OK, Cancel, Yes, No, Retry, Abort, Ignore, Yes to all,\n"
         "      No to all. An answer the question does not offer stops the run (status 2).\n"
         "      Without an entry: Cancel when offered, else No, else the last button;\n"
         "      \"Save(print) settings?\" is answered No. Every question is logged on\n"
         "      stderr as: question: \"<text>\" -> <button>\n\n";
  PrintQuestions(out);
}

}  // namespace tessmar::cli
