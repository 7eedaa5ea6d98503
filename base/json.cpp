#include "base/json.h"

#include <cmath>
#include <cstring>

#include "base/code_page.h"
#include "base/trace.h"

DICTION::DICTION() : value(new Json) {}
DICTION::~DICTION() { delete value; }

namespace {

String FromAnsi(const char* text) {
  String s;
  s.FromMultiByte(text);
  return s;
}

// Double to integer, truncated toward zero; out-of-range values saturate.
long long Truncate(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775807.0) return INT64_MAX;
  if (d <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<long long>(d);
}

}  // namespace

Json::Json(bool value) { *this = value; }
Json::Json(int value) { *this = value; }
Json::Json(long long value) { *this = value; }
Json::Json(double value) { *this = value; }
Json::Json(const char16_t* text) { *this = text; }
Json::Json(const char* ansiText) { *this = ansiText; }
Json::Json(const Json& other) { CopyFrom(other); }
Json::Json(Json&& other) noexcept { TakeFrom(other); }

Json& Json::operator=(const Json& other) {
  if (this != &other) {
    Json copy(other);  // other may lie inside this tree
    Reset();
    TakeFrom(copy);
  }
  return *this;
}

Json& Json::operator=(Json&& other) noexcept {
  if (this != &other) {
    Json taken;
    taken.TakeFrom(other);  // other may lie inside this tree
    Reset();
    TakeFrom(taken);
  }
  return *this;
}

Json& Json::operator=(bool value) {
  Reset();
  type_ = JsonType::kBoolean;
  value_.boolean = value;
  return *this;
}

Json& Json::operator=(int value) { return *this = static_cast<long long>(value); }

Json& Json::operator=(long long value) {
  Reset();
  type_ = JsonType::kInteger;
  value_.integer = value;
  return *this;
}

Json& Json::operator=(double value) {
  Reset();
  type_ = JsonType::kDouble;
  value_.number = value;
  return *this;
}

Json& Json::operator=(const char16_t* text) {
  String copy(text);  // text may lie inside this node
  MakeString(copy.Handle(), copy.Length());
  return *this;
}

Json& Json::operator=(const char* ansiText) {
  String text = FromAnsi(ansiText);
  MakeString(text.Handle(), text.Length());
  return *this;
}

void Json::Reset() {
  switch (type_) {
    case JsonType::kString:
      delete value_.text;
      break;
    case JsonType::kArray:
      delete value_.array;
      break;
    case JsonType::kObject:
      delete value_.object;
      break;
    case JsonType::kBinary:
      delete value_.binary;
      break;
    default:
      break;
  }
  value_ = Value{};
  type_ = JsonType::kNull;
}

void Json::ClearContent() {
  switch (type_) {
    case JsonType::kBoolean:
      value_.boolean = false;
      break;
    case JsonType::kInteger:
      value_.integer = 0;
      break;
    case JsonType::kDouble:
      value_.number = 0.0;
      break;
    case JsonType::kString:
      *value_.text = u"";
      break;
    case JsonType::kArray:
      value_.array->Clear();
      break;
    case JsonType::kObject:
      value_.object->Clear();
      break;
    case JsonType::kBinary:
      value_.binary->SetLength(0);
      break;
    case JsonType::kNull:
      break;
  }
}

void Json::MakeString(const char16_t* text, uint32_t length) {
  Reset();
  value_.text = new String(text, length);
  type_ = JsonType::kString;
}

void Json::MakeArray() {
  Reset();
  value_.array = new ObjectList<Json>;
  type_ = JsonType::kArray;
}

void Json::MakeObject() {
  Reset();
  value_.object = new ObjectList<DICTION>;
  type_ = JsonType::kObject;
}

void Json::MakeBinary(const void* data, uint32_t length) {
  Reset();
  value_.binary = new Memory<uint8_t>;
  type_ = JsonType::kBinary;
  if (length && value_.binary->SetLength(length)) std::memcpy(value_.binary->Data(), data, length);
}

void Json::CopyFrom(const Json& other) {
  switch (other.type_) {
    case JsonType::kString:
      MakeString(other.value_.text->Handle(), other.value_.text->Length());
      break;
    case JsonType::kBinary:
      MakeBinary(other.value_.binary->Data(), other.value_.binary->Length());
      break;
    case JsonType::kArray:
      MakeArray();
      for (uint32_t i = 0; i < other.value_.array->Count(); ++i) {
        if (Json* element = value_.array->Add()) element->CopyFrom((*other.value_.array)[i]);
      }
      break;
    case JsonType::kObject:
      MakeObject();
      for (uint32_t i = 0; i < other.value_.object->Count(); ++i) {
        const DICTION& from = (*other.value_.object)[i];
        if (DICTION* member = value_.object->Add()) {
          member->key = from.key;
          member->value->CopyFrom(*from.value);
        }
      }
      break;
    default:
      value_ = other.value_;
      type_ = other.type_;
  }
}

void Json::TakeFrom(Json& other) {
  value_ = other.value_;
  type_ = other.type_;
  other.value_ = Value{};
  other.type_ = JsonType::kNull;
}

// --- the node's own value ---

bool Json::GetBoolean(bool& out) const {
  if (!IsBoolean()) return false;
  out = value_.boolean;
  return true;
}

bool Json::Boolean(bool fallback) const {
  GetBoolean(fallback);
  return fallback;
}

bool Json::GetInt64(long long& out) const {
  if (IsInteger()) {
    out = value_.integer;
  } else if (IsDouble()) {
    out = Truncate(value_.number);
  } else {
    return false;
  }
  return true;
}

long long Json::Int64(long long fallback) const {
  GetInt64(fallback);
  return fallback;
}

bool Json::GetInt32(int& out) const {
  long long wide;
  if (!GetInt64(wide)) return false;
  out = static_cast<int>(static_cast<uint32_t>(static_cast<unsigned long long>(wide)));
  return true;
}

int Json::Int32(int fallback) const {
  GetInt32(fallback);
  return fallback;
}

bool Json::GetDouble(double& out) const {
  if (IsDouble()) {
    out = value_.number;
  } else if (IsInteger()) {
    out = static_cast<double>(value_.integer);
  } else {
    return false;
  }
  return true;
}

double Json::Double(double fallback) const {
  GetDouble(fallback);
  return fallback;
}

const char16_t* Json::Str(const char16_t* fallback) const {
  return IsString() ? value_.text->Handle() : fallback;
}

bool Json::GetString(String& out) const {
  if (!IsString()) return false;
  out = *value_.text;
  return true;
}

// --- object members ---

const Json* Json::FindProperty(const char16_t* name) const {
  if (!IsObject()) return nullptr;
  for (uint32_t i = 0; i < value_.object->Count(); ++i) {
    const DICTION& member = (*value_.object)[i];
    if (member.key == name) return member.value;
  }
  return nullptr;
}

Json* Json::GetProperty(const char16_t* name, bool create) {
  if (!IsObject()) {
    if (!create) return nullptr;
    MakeObject();
  }
  if (const Json* found = FindProperty(name)) return const_cast<Json*>(found);
  if (!create) return nullptr;
  DICTION* member = value_.object->Add();
  if (!member) return nullptr;
  member->key = name;
  return member->value;
}

Json* Json::operator[](const char16_t* name) {
  return IsObject() ? GetProperty(name, true) : nullptr;
}

const DICTION* Json::Member(uint32_t index) const {
  if (!IsObject() || index >= value_.object->Count()) return nullptr;
  return value_.object->Element(index);
}

bool Json::GetPropertyStr(const char16_t* name, const char16_t*& out) const {
  const Json* p = FindProperty(name);
  if (!p || !p->IsString()) return false;
  out = p->value_.text->Handle();
  return true;
}

bool Json::GetPropertyStr(const char16_t* name, String& out) const {
  const Json* p = FindProperty(name);
  return p && p->GetString(out);
}

const char16_t* Json::PropertyStr(const char16_t* name, const char16_t* fallback) const {
  GetPropertyStr(name, fallback);
  return fallback;
}

bool Json::GetPropertyInt32(const char16_t* name, int& out) const {
  const Json* p = FindProperty(name);
  return p && p->GetInt32(out);
}

int Json::PropertyInt32(const char16_t* name, int fallback) const {
  GetPropertyInt32(name, fallback);
  return fallback;
}

bool Json::GetPropertyInt64(const char16_t* name, long long& out) const {
  const Json* p = FindProperty(name);
  return p && p->GetInt64(out);
}

long long Json::PropertyInt64(const char16_t* name, long long fallback) const {
  GetPropertyInt64(name, fallback);
  return fallback;
}

bool Json::GetPropertyDouble(const char16_t* name, double& out) const {
  const Json* p = FindProperty(name);
  return p && p->GetDouble(out);
}

double Json::PropertyDouble(const char16_t* name, double fallback) const {
  GetPropertyDouble(name, fallback);
  return fallback;
}

bool Json::GetPropertyBool(const char16_t* name, bool& out) const {
  const Json* p = FindProperty(name);
  return p && p->GetBoolean(out);
}

bool Json::PropertyBool(const char16_t* name, bool fallback) const {
  GetPropertyBool(name, fallback);
  return fallback;
}

bool Json::GetPropertyBinary(const char16_t* name, const void*& data, int* length) const {
  const Json* p = FindProperty(name);
  if (!p || !p->IsBinary()) return false;
  data = p->value_.binary->Data();
  if (length) *length = static_cast<int>(p->value_.binary->Length());
  return true;
}

const void* Json::PropertyBinary(const char16_t* name, int* length) const {
  const void* data = nullptr;
  GetPropertyBinary(name, data, length);
  return data;
}

Json* Json::SetPropertyNull(const char16_t* name) {
  Json* p = GetProperty(name, true);
  if (p) p->Reset();
  return p;
}

Json* Json::SetPropertyArray(const char16_t* name) {
  Json* p = GetProperty(name, true);
  if (p && !p->IsArray()) p->MakeArray();
  return p;
}

Json* Json::SetPropertyStr(const char16_t* name, const char16_t* value) {
  String copy(value);  // value may lie inside the member being replaced
  Json* p = GetProperty(name, true);
  if (p) p->MakeString(copy.Handle(), copy.Length());
  return p;
}

Json* Json::SetPropertyStr(const char16_t* name, const String& value) {
  String copy(value);
  Json* p = GetProperty(name, true);
  if (p) p->MakeString(copy.Handle(), copy.Length());
  return p;
}

Json* Json::SetPropertyMbs(const char16_t* name, const char* ansiValue) {
  String text = FromAnsi(ansiValue);
  return SetPropertyStr(name, text.Handle());
}

Json* Json::SetPropertyInt32(const char16_t* name, int value) {
  return SetPropertyInt64(name, value);
}

Json* Json::SetPropertyInt64(const char16_t* name, long long value) {
  return AssignMember(name, value);
}

Json* Json::SetPropertyDouble(const char16_t* name, double value) {
  return AssignMember(name, value);
}

Json* Json::SetPropertyBool(const char16_t* name, bool value) { return AssignMember(name, value); }

Json* Json::SetPropertyBinary(const char16_t* name, const void* data, int length) {
  if (length < 0) return nullptr;
  Json copy;
  copy.MakeBinary(data, static_cast<uint32_t>(length));
  if (copy.value_.binary->Length() != static_cast<uint32_t>(length)) return nullptr;
  Json* p = GetProperty(name, true);
  if (p) *p = std::move(copy);
  return p;
}

// --- array elements ---

uint32_t Json::Count() const {
  if (IsArray()) return value_.array->Count();
  if (IsObject()) return value_.object->Count();
  return 0;
}

Json* Json::GetArrayElm(uint32_t index) {
  return IsArray() && index < value_.array->Count() ? value_.array->Element(index) : nullptr;
}

const Json* Json::GetArrayElm(uint32_t index) const {
  return IsArray() && index < value_.array->Count() ? value_.array->Element(index) : nullptr;
}

Json* Json::AddArrayElm(uint32_t index) {
  if (IsNull()) MakeArray();
  if (!IsArray()) return nullptr;
  return value_.array->Add(index);
}

void Json::RemoveArrayElm(uint32_t index, uint32_t count) {
  if (IsArray()) value_.array->Delete(index, count);
}

Json* Json::SetArrayElm(const Json& value, uint32_t index) { return AssignElement(index, value); }

Json* Json::SetArrayStr(const char16_t* value, uint32_t index) {
  return AssignElement(index, value);
}

Json* Json::SetArrayMbs(const char* ansiValue, uint32_t index) {
  return AssignElement(index, ansiValue);
}

Json* Json::SetArrayBool(bool value, uint32_t index) { return AssignElement(index, value); }

Json* Json::SetArrayInt32(int value, uint32_t index) { return SetArrayInt64(value, index); }

Json* Json::SetArrayInt64(long long value, uint32_t index) { return AssignElement(index, value); }

Json* Json::SetArrayDouble(double value, uint32_t index) { return AssignElement(index, value); }

bool Json::GetArrayStr(String& out, uint32_t index) const {
  const Json* element = GetArrayElm(index);
  return element && element->GetString(out);
}

bool Json::GetArrayInt32(int& out, uint32_t index) const {
  const Json* element = GetArrayElm(index);
  return element && element->IsInteger() && element->GetInt32(out);
}

bool Json::GetArrayInt64(long long& out, uint32_t index) const {
  const Json* element = GetArrayElm(index);
  return element && element->IsInteger() && element->GetInt64(out);
}

bool Json::GetArrayBool(bool& out, uint32_t index) const {
  const Json* element = GetArrayElm(index);
  return element && element->GetBoolean(out);
}

bool Json::GetArrayDouble(double& out, uint32_t index) const {
  const Json* element = GetArrayElm(index);
  return element && element->IsDouble() && element->GetDouble(out);
}

Json* Json::operator[](int index) {
  if (index < 0) return nullptr;
  if (IsNull()) MakeArray();
  if (!IsArray()) return nullptr;
  while (value_.array->Count() <= static_cast<uint32_t>(index)) {
    if (!value_.array->Add()) return nullptr;
  }
  return value_.array->Element(index);
}

void Json::Print(bool pretty) const { Trace(u"%s", ToText(pretty).Handle()); }
