#include "app/dialog_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "app/print.h"
#include "app/real_edit_widget.h"
#include "base/question_port.h"

namespace tessmar::app {

namespace {

// Radio groups for short item lists, combo boxes for long ones.
constexpr std::size_t kMaxRadioItems = 4;

int IntBound(const std::optional<Real>& v, int fallback) {
  if (!v) return fallback;
  if (*v <= INT_MIN) return INT_MIN;
  if (*v >= INT_MAX) return INT_MAX;
  return static_cast<int>(*v);
}

std::map<const DialogModel*, DialogForm*>& OpenForms() {
  static std::map<const DialogModel*, DialogForm*> forms;
  return forms;
}

}  // namespace

FieldEditors::FieldEditors(DialogModel& model, QuestionPort* port, QWidget* owner)
    : QObject(owner), model_(model), port_(port), owner_(owner) {}

QWidget* FieldEditors::Editor(const std::string& name) {
  auto it = entries_.find(name);
  if (it != entries_.end()) return it->second.editor;
  Entry e;
  e.field = &model_.At(name);
  auto& stored = entries_[name] = e;
  Create(stored);
  Show(stored);
  return stored.editor;
}

QLabel* FieldEditors::Label(const std::string& name) {
  Editor(name);
  return entries_[name].label;
}

QWidget* FieldEditors::Create(Entry& e) {
  Field& f = *e.field;
  const QString caption = QString::fromStdString(f.Caption());
  const QString help = QString::fromStdString(f.HelpText());
  const std::string name = f.Name();
  switch (f.Kind()) {
    case FieldKind::Real: {
      auto* w = new RealEditWidget(port_, owner_);
      if (f.Format()) w->Logic().SetStringFormat(*f.Format());
      connect(w, &RealEditWidget::edited, this, [this, name, w] {
        auto& en = entries_[name];
        Real v = 0;
        try {
          v = w->Value();
        } catch (const std::exception&) {
          Show(en);
          return;
        }
        Commit(en, v);
      });
      e.editor = w;
      break;
    }
    case FieldKind::Integer: {
      auto* w = new QSpinBox(owner_);
      w->setRange(IntBound(f.Min(), -1000000000), IntBound(f.Max(), 1000000000));
      w->setKeyboardTracking(false);  // one change per Enter, arrow or exit, not per digit
      connect(w, &QSpinBox::valueChanged, this, [this, name](int v) {
        if (!syncing_) Commit(entries_[name], static_cast<long long>(v));
      });
      e.editor = w;
      break;
    }
    case FieldKind::Check: {
      auto* w = new QCheckBox(caption, owner_);
      connect(w, &QCheckBox::clicked, this, [this, name](bool on) { Commit(entries_[name], on); });
      e.editor = w;
      break;
    }
    case FieldKind::Choice: {
      if (f.Items().size() <= kMaxRadioItems) {
        auto* box = new QGroupBox(caption, owner_);
        auto* lay = new QHBoxLayout(box);
        lay->setContentsMargins(6, 2, 6, 2);
        e.group = new QButtonGroup(box);
        e.group->setExclusive(false);  // so that "none chosen" (-1) can be shown
        for (std::size_t i = 0; i < f.Items().size(); ++i) {
          auto* r = new QRadioButton(QString::fromStdString(f.Items()[i]), box);
          r->setAutoExclusive(false);
          e.group->addButton(r, static_cast<int>(i));
          lay->addWidget(r);
        }
        lay->addStretch();
        connect(e.group, &QButtonGroup::idClicked, this, [this, name](int id) {
          if (!syncing_) Commit(entries_[name], static_cast<long long>(id));
        });
        e.editor = box;
      } else {
        auto* w = new QComboBox(owner_);
        for (const auto& item : f.Items())
          w->addItem(QString::fromStdString(StripAmpersands(item)));
        connect(w, &QComboBox::activated, this,
                [this, name](int i) { Commit(entries_[name], static_cast<long long>(i)); });
        e.editor = w;
      }
      break;
    }
    case FieldKind::Text: {
      auto* w = new QLineEdit(owner_);
      connect(w, &QLineEdit::editingFinished, this, [this, name, w] {
        if (!w->isModified()) return;
        w->setModified(false);
        Commit(entries_[name], w->text().toStdString());
      });
      e.editor = w;
      break;
    }
    case FieldKind::Button: {
      auto* w = new QPushButton(caption, owner_);
      w->setAutoDefault(false);
      connect(w, &QPushButton::clicked, this, [this, name] {
        auto& en = entries_[name];
        if (busy_) return;
        CommitPending();
        busy_ = true;
        try {
          en.field->Press();
        } catch (const std::exception& ex) {
          if (port_) port_->Inform(ex.what(), MessageKind::Error);
        }
        busy_ = false;
        Refresh();
        FocusModelField();
        if (AfterExit) AfterExit(en.field->Name());
        emit fieldExited(QString::fromStdString(en.field->Name()));
      });
      e.editor = w;
      break;
    }
  }
  e.editor->setObjectName(QString::fromStdString(name));
  e.editor->setToolTip(help);
  if (f.Kind() == FieldKind::Real || f.Kind() == FieldKind::Integer ||
      f.Kind() == FieldKind::Text ||
      (f.Kind() == FieldKind::Choice && f.Items().size() > kMaxRadioItems)) {
    e.label = new QLabel(caption, owner_);
    e.label->setBuddy(e.editor);
    e.label->setToolTip(help);
  }
  return e.editor;
}

void FieldEditors::Commit(Entry& e, const FieldValue& value) {
  if (busy_) return;  // a question of another field's rule is open
  busy_ = true;
  try {
    e.field->Set(value);
  } catch (const FieldError& err) {
    if (port_) port_->Inform(err.what(), MessageKind::Warning);
    model_.SetFocus(e.field->Name());
  } catch (const std::exception& err) {
    if (port_) port_->Inform(err.what(), MessageKind::Error);
  }
  busy_ = false;
  Refresh();
  if (AfterExit) AfterExit(e.field->Name());
  emit fieldExited(QString::fromStdString(e.field->Name()));
}

void FieldEditors::Show(Entry& e) {
  const Field& f = *e.field;
  syncing_ = true;
  const FieldValue v = f.Get();
  switch (f.Kind()) {
    case FieldKind::Real: {
      auto* w = static_cast<RealEditWidget*>(e.editor);
      if (!w->Modified() || !w->hasFocus()) w->SetValue(std::get<Real>(v));
      break;
    }
    case FieldKind::Integer:
      static_cast<QSpinBox*>(e.editor)->setValue(static_cast<int>(std::get<long long>(v)));
      break;
    case FieldKind::Check: static_cast<QCheckBox*>(e.editor)->setChecked(std::get<bool>(v)); break;
    case FieldKind::Choice: {
      const int i = static_cast<int>(std::get<long long>(v));
      if (e.group) {
        for (QAbstractButton* b : e.group->buttons()) b->setChecked(e.group->id(b) == i);
      } else {
        static_cast<QComboBox*>(e.editor)->setCurrentIndex(i);
      }
      break;
    }
    case FieldKind::Text: {
      auto* w = static_cast<QLineEdit*>(e.editor);
      if (!w->isModified()) w->setText(QString::fromStdString(std::get<std::string>(v)));
      break;
    }
    case FieldKind::Button: break;
  }
  e.editor->setEnabled(f.Enabled());
  e.editor->setVisible(f.Visible());
  if (e.label) {
    e.label->setEnabled(f.Enabled());
    e.label->setVisible(f.Visible());
  }
  syncing_ = false;
}

void FieldEditors::Refresh() {
  for (auto& [name, e] : entries_) Show(e);
}

void FieldEditors::FocusModelField() {
  auto it = entries_.find(model_.Focus());
  if (it == entries_.end() || !it->second.editor->isVisible()) return;
  QWidget* w = it->second.editor;
  if (it->second.group && !it->second.group->buttons().isEmpty())
    w = it->second.group->buttons().front();
  w->setFocus(Qt::OtherFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->selectAll();
}

void FieldEditors::CommitPending() {
  for (auto& [name, e] : entries_) {
    if (auto* r = qobject_cast<RealEditWidget*>(e.editor); r && r->Modified()) {
      Real v = r->Value();
      Commit(e, v);
    } else if (auto* t = qobject_cast<QLineEdit*>(e.editor);
               t && e.field->Kind() == FieldKind::Text && t->isModified()) {
      t->setModified(false);
      Commit(e, t->text().toStdString());
    }
  }
}

void FieldEditors::Enter(const std::string& name, const QString& text) {
  Editor(name);
  Entry& e = entries_[name];
  if (busy_) return;
  busy_ = true;
  try {
    e.field->SetText(text.toStdString());
  } catch (const FieldError& err) {
    if (port_) port_->Inform(err.what(), MessageKind::Warning);
  }
  busy_ = false;
  Refresh();
  if (AfterExit) AfterExit(name);
  emit fieldExited(QString::fromStdString(name));
}

// ---------------------------------------------------------------------------

DialogForm::DialogForm(DialogModel& model, QuestionPort* port, DialogFormOptions options,
                       QWidget* parent)
    : QDialog(parent), model_(model), port_(port), options_(std::move(options)) {
  setWindowTitle(QString::fromStdString(model.Caption()));
  setObjectName(QString::fromStdString(model.Key()));
  editors_ = new FieldEditors(model, port, this);
  OpenForms()[&model_] = this;

  auto* outer = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(4);
  outer->addLayout(grid);

  std::vector<const Field*> shown;
  for (const Field& f : model.Fields()) {
    if (std::find(options_.hidden.begin(), options_.hidden.end(), f.Name()) !=
        options_.hidden.end())
      continue;
    shown.push_back(&f);
  }
  const int perColumn = std::max(1, options_.rowsPerColumn);
  std::vector<QPushButton*> fieldButtons;
  int row = 0, col = 0;
  for (const Field* f : shown) {
    QWidget* w = editors_->Editor(f->Name());
    if (f->Kind() == FieldKind::Button) {
      fieldButtons.push_back(static_cast<QPushButton*>(w));
      continue;
    }
    if (row == perColumn) {
      row = 0;
      col += 2;
    }
    if (QLabel* l = editors_->Label(f->Name())) {
      grid->addWidget(l, row, col, Qt::AlignRight);
      grid->addWidget(w, row, col + 1);
    } else {
      grid->addWidget(w, row, col, 1, 2);
    }
    ++row;
  }
  for (int c = 1; c <= col + 1; c += 2) grid->setColumnStretch(c, 1);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : fieldButtons) buttons->addWidget(b);
  for (const auto& extra : options_.extras) {
    auto* b = new QPushButton(extra.caption, this);
    b->setAutoDefault(false);
    if (!extra.control.empty()) controls_[extra.control] = b;
    connect(b, &QPushButton::clicked, this, [this, run = extra.run] {
      editors_->CommitPending();
      run();
      editors_->Refresh();
      editors_->FocusModelField();
    });
    buttons->addWidget(b);
  }
  buttons->addStretch();
  if (options_.okButton) {
    ok_ = new QPushButton("&OK", this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &DialogForm::PressOk);
    buttons->addWidget(ok_);
  }
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setAutoDefault(false);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(cancel_);
  if (options_.printButton) {
    print_ = new QPushButton("&Print", this);
    print_->setAutoDefault(false);
    connect(print_, &QPushButton::clicked, this, [this] { Print(); });
    buttons->addWidget(print_);
  }
  hint_ = new QLabel(this);
  hint_->setStyleSheet("color: #a00000;");
  hint_->hide();
  outer->addWidget(hint_);
  outer->addLayout(buttons);
  connect(editors_, &FieldEditors::fieldExited, this, [this] { hint_->hide(); });

  if (options_.buttonEnds) {
    connect(editors_, &FieldEditors::fieldExited, this, [this](const QString& name) {
      const Field* f = model_.Find(name.toStdString());
      if (!f || f->Kind() != FieldKind::Button) return;
      const int end = options_.buttonEnds(f->Name());
      if (end > 0) accept();
      if (end < 0) reject();
    });
  }
}

DialogForm::~DialogForm() {
  auto& forms = OpenForms();
  auto it = forms.find(&model_);
  if (it != forms.end() && it->second == this) forms.erase(it);
}

DialogForm* DialogForm::OpenFormOf(const DialogModel& model) {
  auto it = OpenForms().find(&model);
  return it == OpenForms().end() ? nullptr : it->second;
}

void DialogForm::showEvent(QShowEvent* event) {
  editors_->Refresh();
  QDialog::showEvent(event);
  editors_->FocusModelField();
}

void DialogForm::PressOk() {
  editors_->CommitPending();
  int close = 1;
  if (options_.accept) {
    try {
      close = options_.accept();
    } catch (const std::exception& e) {
      if (port_) port_->Inform(e.what(), MessageKind::Error);
      close = 0;
    }
  }
  editors_->Refresh();
  if (close > 0) {
    accept();
  } else if (close < 0) {
    reject();
  } else {
    editors_->FocusModelField();
    ShowRefusal();
  }
}

// A check refused OK and moved the focus: name the control in the dialog (no
// message box, the focus is the answer), and focus it when it is a button.
void DialogForm::ShowRefusal() {
  const std::string& name = model_.Focus();
  if (name.empty()) return;
  QString caption = QString::fromStdString(name);
  if (const Field* f = model_.Find(name); f && !f->Caption().empty())
    caption = QString::fromStdString(StripAmpersands(f->Caption()));
  if (auto it = controls_.find(name); it != controls_.end()) {
    caption = QString(it->second->text()).remove('&');
    it->second->setFocus(Qt::OtherFocusReason);
  }
  hint_->setText(QString("Needs attention: %1").arg(caption));
  hint_->show();
}

QAbstractButton* DialogForm::FindButton(const QString& caption) const {
  const QString wanted = QString(caption).remove('&');
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) continue;
    if (QString(b->text()).remove('&') == wanted) return b;
  }
  return nullptr;
}

std::vector<QAbstractButton*> DialogForm::ButtonsToHide() const {
  std::vector<QAbstractButton*> out;
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    if (!qobject_cast<QPushButton*>(b)) continue;  // checks and radio items are settings
    if (!options_.hideWhenPrinting || options_.hideWhenPrinting(b)) out.push_back(b);
  }
  return out;
}

bool DialogForm::Print() {
  return PrintDialogForm(this, ButtonsToHide());
}

}  // namespace tessmar::app
