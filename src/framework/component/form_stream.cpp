// framework/component/form_stream: the form writer and the form reader (a recursive descent
// over FormLexer's tokens) with the loading steps listed in the header.
#include "framework/component/form_stream.h"

#include <QPointer>
#include <charconv>
#include <cmath>
#include <exception>
#include <vector>

#include "framework/component/class_registry.h"
#include "framework/component/component_errors.h"
#include "framework/component/form_lexer.h"
#include "framework/component/form_registry.h"
#include "framework/component/properties.h"

namespace qb {

namespace {

std::string QtClassName(const QObject* object) {
  std::string name = object->metaObject()->className();
  const size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::string ClassNameOf(const QObject* object) {
  if (auto* component = dynamic_cast<const TComponent*>(object)) return component->ClassName();
  return QtClassName(object);
}

// ---------------------------------------------------------------------------------------
// Values between the typed and the text form.

// Equality for "differs from its default": -0.0 is not 0.0, and NaN is NaN.
bool SameValue(const PropertyValue& a, const PropertyValue& b) {
  if (std::holds_alternative<double>(a) && std::holds_alternative<double>(b)) {
    const double x = std::get<double>(a);
    const double y = std::get<double>(b);
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
    return x == y && std::signbit(x) == std::signbit(y);
  }
  return a == b;
}

std::string FormatDouble(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "NEGINF";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  std::string text(buffer, end);
  // Keep it a real number in the text ("3.0", "-0.0"), so that -0.0 keeps its sign.
  if (text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

std::string FormatValue(const StreamValue& value, const std::string& indent) {
  switch (value.kind) {
    case StreamValue::Kind::Identifier:
      return value.text;
    case StreamValue::Kind::Integer:
      return std::to_string(value.integer);
    case StreamValue::Kind::Double:
      return FormatDouble(value.real);
    case StreamValue::Kind::String:
      return QuoteFormString(value.text);
    case StreamValue::Kind::Set: {
      std::string out = "[";
      for (size_t i = 0; i < value.names.size(); ++i) out += (i == 0 ? "" : ", ") + value.names[i];
      return out + "]";
    }
    case StreamValue::Kind::List: {
      if (value.items.empty()) return "()";
      const std::string inner = indent + "  ";
      std::string out = "(";
      for (const StreamValue& item : value.items) out += "\n" + inner + FormatValue(item, inner);
      return out + ")";
    }
  }
  return std::string();
}

StreamValue ToStreamValue(const PropertyInfo& info, const PropertyValue& value) {
  switch (info.type) {
    case PropertyType::Bool:
      return StreamValue::Ident(std::get<bool>(value) ? "True" : "False");
    case PropertyType::Integer:
    case PropertyType::Int16:
      return StreamValue::Int(std::get<int64_t>(value));
    case PropertyType::Double:
      return StreamValue::Real(std::get<double>(value));
    case PropertyType::Enum: {
      const int64_t ordinal = std::get<int64_t>(value);
      if (ordinal < 0 || ordinal >= static_cast<int64_t>(info.element_names.size())) {
        throw EWriteError("Property " + info.name + " holds no element of its enumeration");
      }
      return StreamValue::Ident(info.element_names[static_cast<size_t>(ordinal)]);
    }
    case PropertyType::Set: {
      std::vector<std::string> names;
      const uint64_t bits = std::get<SetBits>(value).bits;
      for (size_t i = 0; i < info.element_names.size() && i < 64; ++i) {
        if ((bits >> i) & 1u) names.push_back(info.element_names[i]);
      }
      return StreamValue::SetOf(std::move(names));
    }
    case PropertyType::String:
      return StreamValue::Str(std::get<std::string>(value));
    case PropertyType::StringList: {
      std::vector<StreamValue> items;
      for (const std::string& s : std::get<std::vector<std::string>>(value)) items.push_back(StreamValue::Str(s));
      return StreamValue::ListOf(std::move(items));
    }
    case PropertyType::Reference:
    case PropertyType::Custom:
      break;
  }
  throw EWriteError("Property " + info.name + " has no text form");
}

// The typed value of a text value; raises EConvertError with the reason.
PropertyValue FromStreamValue(const PropertyInfo& info, const StreamValue& value) {
  using Kind = StreamValue::Kind;
  auto find_element = [&info](const std::string& name) -> int64_t {
    for (size_t i = 0; i < info.element_names.size(); ++i) {
      if (SameName(info.element_names[i], name)) return static_cast<int64_t>(i);
    }
    throw EConvertError(name + " is not an element of the property's type");
  };
  PropertyValue result;
  switch (info.type) {
    case PropertyType::Bool:
      if (value.kind == Kind::Identifier && SameName(value.text, "True")) {
        result = true;
      } else if (value.kind == Kind::Identifier && SameName(value.text, "False")) {
        result = false;
      } else {
        throw EConvertError("True or False expected");
      }
      break;
    case PropertyType::Integer:
    case PropertyType::Int16:
      if (value.kind != Kind::Integer) throw EConvertError("an integer expected");
      result = value.integer;
      break;
    case PropertyType::Double:
      if (value.kind == Kind::Integer) {
        result = static_cast<double>(value.integer);
      } else if (value.kind == Kind::Double) {
        result = value.real;
      } else if (value.kind == Kind::Identifier && SameName(value.text, "INF")) {
        result = HUGE_VAL;
      } else if (value.kind == Kind::Identifier && SameName(value.text, "NEGINF")) {
        result = -HUGE_VAL;
      } else if (value.kind == Kind::Identifier && SameName(value.text, "NAN")) {
        result = std::nan("");
      } else {
        throw EConvertError("a number expected");
      }
      break;
    case PropertyType::Enum:
      if (value.kind != Kind::Identifier) throw EConvertError("an element name expected");
      result = find_element(value.text);
      break;
    case PropertyType::Set: {
      if (value.kind != Kind::Set) throw EConvertError("a set expected");
      uint64_t bits = 0;
      for (const std::string& name : value.names) bits |= uint64_t{1} << find_element(name);
      result = SetBits{bits};
      break;
    }
    case PropertyType::String:
      if (value.kind != Kind::String) throw EConvertError("a string expected");
      result = value.text;
      break;
    case PropertyType::StringList: {
      if (value.kind != Kind::List) throw EConvertError("a list of strings expected");
      std::vector<std::string> lines;
      for (const StreamValue& item : value.items) {
        if (item.kind != Kind::String) throw EConvertError("a list of strings expected");
        lines.push_back(item.text);
      }
      result = std::move(lines);
      break;
    }
    case PropertyType::Reference:
    case PropertyType::Custom:
      throw EConvertError("the property has no text form");
  }
  CheckPropertyValue(info, result);
  return result;
}

// ---------------------------------------------------------------------------------------
// Writer.

class FormWriter {
 public:
  explicit FormWriter(QObject* root) : root_(root) {}

  std::string Write() {
    std::vector<QPointer<TComponent>> marked;
    Mark(root_, marked);
    try {
      WriteObject(root_, "");
    } catch (...) {
      Unmark(marked);
      throw;
    }
    Unmark(marked);
    return std::move(out_);
  }

 private:
  static void Mark(QObject* object, std::vector<QPointer<TComponent>>& marked) {
    if (auto* component = dynamic_cast<TComponent*>(object)) {
      ComponentStateAccess::Include(component, csWriting);
      marked.emplace_back(component);
    }
    for (TComponent* child : OwnedComponents(object)) {
      if (!child->IsSubComponent()) Mark(child, marked);
    }
  }

  static void Unmark(const std::vector<QPointer<TComponent>>& marked) {
    for (const QPointer<TComponent>& component : marked) {
      if (component != nullptr) ComponentStateAccess::Exclude(component, csWriting);
    }
  }

  void WriteObject(QObject* object, const std::string& indent) {
    const std::string name = object->objectName().toStdString();
    out_ += indent + "object " + (name.empty() ? "" : name + ": ") + ClassNameOf(object) + "\n";
    if (auto* component = dynamic_cast<TComponent*>(object)) {
      for (const PropertyInfo& info : component->Properties().Items()) WriteProperty(*component, info, indent + "  ");
    }
    for (TComponent* child : OwnedComponents(object)) {
      if (!child->IsSubComponent()) WriteObject(child, indent + "  ");
    }
    out_ += indent + "end\n";
  }

  void WriteProperty(const TComponent& component, const PropertyInfo& info, const std::string& indent) {
    if (!info.stored || info.IsReadOnly()) return;
    if (info.stored_if && !info.stored_if(component)) return;
    if (!info.get && !info.write_value) return;
    std::optional<PropertyValue> value;
    if (info.get) value = info.get(component);
    std::string text;
    if (info.type == PropertyType::Reference && !info.write_value && value &&
        std::get<TComponent*>(*value) == nullptr) {
      // A reference still waiting for its form is written as it was read, so it is not lost.
      text = PendingReferenceText(&component, info.name);
    }
    if (text.empty()) {
      if (value && info.default_value && SameValue(*value, *info.default_value)) return;
      if (info.write_value) {
        text = FormatValue(info.write_value(component), indent);
      } else if (info.type == PropertyType::Reference) {
        text = ReferenceText(std::get<TComponent*>(*value));
      } else {
        text = FormatValue(ToStreamValue(info, *value), indent);
      }
    }
    out_ += indent + info.name + " = " + text + "\n";
  }

  // "nil"; the path of a component of the written form; or "Form.Path" for another form.
  std::string ReferenceText(const TComponent* target) const {
    if (target == nullptr) return "nil";
    std::string path;
    const QObject* object = target;
    for (;;) {
      const std::string name = object->objectName().toStdString();
      if (object == root_) return path.empty() ? name : path;
      const bool is_form = FormRegistry::IsRegistered(object) || object->parent() == nullptr ||
                           dynamic_cast<const TComponent*>(object) == nullptr;
      if (name.empty()) {
        throw EWriteError("Cannot write a reference to a component without a name (" +
                          std::string(target->ClassName()) + ")");
      }
      if (is_form) return path.empty() ? name : name + "." + path;
      path = path.empty() ? name : name + "." + path;
      object = object->parent();
    }
  }

  QObject* root_;
  std::string out_;
};

// ---------------------------------------------------------------------------------------
// Reader.

class FormReader {
 public:
  explicit FormReader(std::string_view text) : lexer_(text) {}

  struct Header {
    std::string name;
    std::string class_name;
    int line = 1;
  };

  Header ReadHeader() {
    FormToken token = lexer_.Next();
    if (token.kind != FormToken::Kind::Identifier || !SameName(token.text, "object")) {
      throw EReadError(token.line, "'object' expected");
    }
    return ReadHeaderRest(token.line);
  }

  // Reads the whole form into ROOT (steps 1 to 5). CREATED_ROOT: ROOT was made by this read.
  void Read(QObject* root, const Header& header, bool created_root) {
    root_ = root;
    header_name_ = header.name;
    auto* root_component = dynamic_cast<TComponent*>(root);
    bool named_root = false;
    try {
      if (root_component != nullptr && !SameName(header.class_name, root_component->ClassName())) {
        throw EReadError(header.line, "Cannot read a " + header.class_name + " into a " + root_component->ClassName());
      }
      if (root_component != nullptr) {
        ComponentStateAccess::Include(root_component, csLoading | csReading);
        loading_.emplace_back(root_component);
      }
      if (!header.name.empty() && root->objectName().isEmpty()) {
        SetObjectName(root, header.name, header.line);
        named_root = true;
      }
      ReadBody(root, root_component, header);
      const FormToken trailing = lexer_.Next();
      if (trailing.kind != FormToken::Kind::End) throw EReadError(trailing.line, "Text after the end of the form");
      for (const QPointer<TComponent>& component : loading_) {
        if (component != nullptr) ComponentStateAccess::Exclude(component, csReading);
      }
      ResolveReferences();
    } catch (...) {
      // Children first: each was created after its owner. A created root is left to the caller.
      for (auto it = created_.rbegin(); it != created_.rend(); ++it) delete it->data();
      if (!created_root) {
        if (root_component != nullptr) ComponentStateAccess::Exclude(root_component, csLoading | csReading);
        if (named_root) root->setObjectName(QString());
      }
      throw;
    }
    LoadAll();
  }

 private:
  struct DeferredReference {
    QPointer<TComponent> component;
    const PropertyInfo* info;
    std::string path;
    int line;
  };

  static void SetObjectName(QObject* object, const std::string& name, int line) {
    if (auto* component = dynamic_cast<TComponent*>(object)) {
      try {
        component->SetName(name);
      } catch (const EComponentError& e) {
        throw EReadError(line, e.Message());
      }
      return;
    }
    if (!IsValidComponentName(name)) throw EReadError(line, "'" + name + "' is not a valid component name");
    object->setObjectName(QString::fromStdString(name));
  }

  void ReadBody(QObject* object, TComponent* component, const Header& header) {
    for (;;) {
      FormToken token = lexer_.Next();
      if (token.kind == FormToken::Kind::End) {
        const std::string label = header.name.empty() ? header.class_name : header.name;
        throw EReadError(token.line, "'end' expected for object " + label + " begun at line " +
                                         std::to_string(header.line));
      }
      if (token.kind != FormToken::Kind::Identifier) {
        throw EReadError(token.line, "Property name, 'object' or 'end' expected");
      }
      if (SameName(token.text, "end")) return;
      ReadMember(object, component, token);
    }
  }

  void ReadMember(QObject* object, TComponent* component, const FormToken& token) {
    if (SameName(token.text, "object")) {
      ReadChild(object, token.line);
      return;
    }
    const FormToken equals = lexer_.Next();
    if (equals.kind != FormToken::Kind::Symbol || equals.symbol != '=') {
      throw EReadError(equals.line, "'=' expected after " + token.text);
    }
    const int value_line = lexer_.Peek().line;
    StreamValue value = ReadValue();
    ApplyProperty(component, token.text, value, value_line);
  }

  // "[Name:] Class" after the word "object" on line LINE.
  Header ReadHeaderRest(int line) {
    Header header;
    header.line = line;
    FormToken first = lexer_.Next();
    if (first.kind != FormToken::Kind::Identifier || first.text.find('.') != std::string::npos) {
      throw EReadError(first.line, "Component name or class name expected");
    }
    const FormToken& after = lexer_.Peek();
    if (after.kind == FormToken::Kind::Symbol && after.symbol == ':') {
      lexer_.Next();
      FormToken class_token = lexer_.Next();
      if (class_token.kind != FormToken::Kind::Identifier || class_token.text.find('.') != std::string::npos) {
        throw EReadError(class_token.line, "Class name expected");
      }
      header.name = first.text;
      header.class_name = class_token.text;
    } else {
      header.class_name = first.text;
    }
    return header;
  }

  void ReadChild(QObject* owner, int line) {
    const Header header = ReadHeaderRest(line);
    if (!IsComponentClassRegistered(header.class_name)) {
      throw EReadError(line, "Class " + header.class_name + " not found");
    }
    TComponent* component = CreateComponentByClassName(header.class_name, owner);
    created_.emplace_back(component);
    loading_.emplace_back(component);
    ComponentStateAccess::Include(component, csLoading | csReading);
    if (!header.name.empty()) SetObjectName(component, header.name, line);
    ReadBody(component, component, header);
  }

  StreamValue ReadValue() {
    FormToken token = lexer_.Next();
    switch (token.kind) {
      case FormToken::Kind::Identifier:
        return StreamValue::Ident(token.text);
      case FormToken::Kind::Integer:
        return StreamValue::Int(token.integer);
      case FormToken::Kind::Double:
        return StreamValue::Real(token.real);
      case FormToken::Kind::String: {
        std::string text = token.text;
        while (lexer_.Peek().kind == FormToken::Kind::Symbol && lexer_.Peek().symbol == '+') {
          lexer_.Next();
          FormToken part = lexer_.Next();
          if (part.kind != FormToken::Kind::String) throw EReadError(part.line, "String expected after '+'");
          text += part.text;
        }
        return StreamValue::Str(std::move(text));
      }
      case FormToken::Kind::Symbol:
        if (token.symbol == '[') return ReadSet();
        if (token.symbol == '(') return ReadList();
        break;
      case FormToken::Kind::End:
        break;
    }
    throw EReadError(token.line, "Property value expected");
  }

  StreamValue ReadSet() {
    std::vector<std::string> names;
    FormToken token = lexer_.Next();
    if (token.kind == FormToken::Kind::Symbol && token.symbol == ']') return StreamValue::SetOf({});
    for (;;) {
      if (token.kind != FormToken::Kind::Identifier) throw EReadError(token.line, "Set element name expected");
      names.push_back(token.text);
      token = lexer_.Next();
      if (token.kind == FormToken::Kind::Symbol && token.symbol == ']') return StreamValue::SetOf(std::move(names));
      if (token.kind != FormToken::Kind::Symbol || token.symbol != ',') throw EReadError(token.line, "',' or ']' expected");
      token = lexer_.Next();
    }
  }

  StreamValue ReadList() {
    std::vector<StreamValue> items;
    for (;;) {
      const FormToken& next = lexer_.Peek();
      if (next.kind == FormToken::Kind::Symbol && next.symbol == ')') {
        lexer_.Next();
        return StreamValue::ListOf(std::move(items));
      }
      if (next.kind == FormToken::Kind::End) throw EReadError(next.line, "')' expected");
      items.push_back(ReadValue());
    }
  }

  void ApplyProperty(TComponent* component, const std::string& name, const StreamValue& value, int line) {
    const PropertyInfo* info = component != nullptr ? component->Properties().Find(name) : nullptr;
    if (info == nullptr) throw EReadError(line, "Property " + name + " does not exist");
    if (info->IsReadOnly()) throw EReadError(line, "Property " + name + " is read-only");
    try {
      if (info->read_value) {
        info->read_value(*component, value);
        return;
      }
      if (info->type == PropertyType::Reference) {
        if (value.kind != StreamValue::Kind::Identifier) throw EConvertError("a component name expected");
        if (SameName(value.text, "nil")) {
          info->set(*component, PropertyValue(static_cast<TComponent*>(nullptr)));
        } else {
          references_.push_back(DeferredReference{component, info, value.text, line});
        }
        return;
      }
      PropertyValue typed = FromStreamValue(*info, value);
      info->set(*component, typed);
    } catch (const EConvertError& e) {
      throw EReadError(line, "Invalid value for property " + name + ": " + e.Message());
    }
  }

  // Step 3: references within the form, then to forms that exist, then pending ones.
  void ResolveReferences() {
    struct Target {
      DeferredReference* reference;
      TComponent* component;  // null: pending
      std::string form;
      std::string path;
    };
    std::vector<Target> local;
    std::vector<Target> cross;
    for (DeferredReference& r : references_) {
      if (r.component == nullptr) continue;
      const size_t dot = r.path.find('.');
      const std::string first = r.path.substr(0, dot);
      const std::string rest = dot == std::string::npos ? std::string() : r.path.substr(dot + 1);
      const bool names_root = SameName(first, root_->objectName().toStdString()) || SameName(first, header_name_);
      TComponent* target = FindNestedComponent(root_, r.path);
      if (target == nullptr && names_root) target = FindNestedComponent(root_, rest);
      if (target != nullptr) {
        local.push_back(Target{&r, target, {}, {}});
        continue;
      }
      if (FindOwnedComponent(root_, first) != nullptr || names_root) {
        throw EReadError(r.line, "Invalid value for property " + r.info->name + ": component " + r.path + " not found");
      }
      if (dot == std::string::npos && FormRegistry::Find(first) == nullptr) {
        throw EReadError(r.line, "Invalid value for property " + r.info->name + ": component " + r.path + " not found");
      }
      cross.push_back(Target{&r, FindNestedComponent(FormRegistry::Find(first), rest), first, rest});
    }
    for (const std::vector<Target>* group : {&local, &cross}) {
      for (const Target& t : *group) {
        if (t.component != nullptr && t.reference->info->accepts && !t.reference->info->accepts(t.component)) {
          throw EReadError(t.reference->line, "Invalid value for property " + t.reference->info->name + ": " +
                                                  t.reference->path + " is a " + t.component->ClassName());
        }
      }
    }
    for (const std::vector<Target>* group : {&local, &cross}) {
      for (const Target& t : *group) {
        if (t.component != nullptr && t.reference->component != nullptr) {
          t.reference->info->set(*t.reference->component, PropertyValue(t.component));
        }
      }
    }
    for (const Target& t : cross) {
      if (t.component == nullptr && t.reference->component != nullptr) {
        AddPendingReference(t.reference->component, t.reference->info->name, t.form, t.path);
      }
    }
  }

  // Steps 4 and 5.
  void LoadAll() {
    std::exception_ptr first_error;
    for (const QPointer<TComponent>& component : loading_) {
      if (component == nullptr) continue;
      ComponentStateAccess::Exclude(component, csLoading);
      try {
        component->Loaded();
      } catch (...) {
        if (!first_error) first_error = std::current_exception();
      }
    }
    try {
      ResolvePendingReferences();
    } catch (...) {
      if (!first_error) first_error = std::current_exception();
    }
    if (first_error) std::rethrow_exception(first_error);
  }

  FormLexer lexer_;
  QObject* root_ = nullptr;
  std::string header_name_;
  std::vector<QPointer<TComponent>> created_;  // made by this read, in creation order
  std::vector<QPointer<TComponent>> loading_;  // the root (when a component), then created_
  std::vector<DeferredReference> references_;
};

}  // namespace

std::string WriteComponentText(QObject* root) { return FormWriter(root).Write(); }

void ReadComponentText(std::string_view text, QObject* root) {
  FormReader reader(text);
  const FormReader::Header header = reader.ReadHeader();
  reader.Read(root, header, false);
}

TComponent* ReadNewComponentText(std::string_view text, QObject* owner) {
  FormReader reader(text);
  const FormReader::Header header = reader.ReadHeader();
  if (!IsComponentClassRegistered(header.class_name)) {
    throw EReadError(header.line, "Class " + header.class_name + " not found");
  }
  QPointer<TComponent> root = CreateComponentByClassName(header.class_name, owner);
  try {
    reader.Read(root, header, true);
  } catch (...) {
    delete root.data();
    throw;
  }
  return root;
}

}  // namespace qb
