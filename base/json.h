#pragma once

#include <cstdint>
#include <string>

#include "base/list.h"
#include "base/memory.h"
#include "base/string.h"

enum class JsonType : uint32_t {
  kNull = 0,
  kBoolean = 1,
  kInteger = 2,
  kDouble = 3,
  kString = 4,
  kArray = 5,
  kObject = 6,
  kBinary = 7,
};

class Json;

// One member of an object: its key and its value node (created Null, owned).
struct DICTION {
  DICTION();
  ~DICTION();
  DICTION(const DICTION&) = delete;
  DICTION& operator=(const DICTION&) = delete;

  String key;
  Json* value;
};

// A JSON tree node with deep-copy semantics; it owns everything below it.
// Besides the usual types it has Binary, written as single-quoted Base64.
// Objects keep their members in insertion order and may hold duplicate keys;
// every lookup takes the first match. Accessors never fail: a type mismatch
// gives the caller's default, false, null or zero. Operations that may yield
// no node return a pointer (null then). Not thread-safe: one thread per tree.
class Json {
 public:
  Json() = default;
  Json(bool value);            // NOLINT: the node types convert implicitly
  Json(int value);             // NOLINT
  Json(long long value);       // NOLINT
  Json(double value);          // NOLINT
  Json(const char16_t* text);  // NOLINT
  Json(const char* ansiText);  // NOLINT: converted from the ANSI code page
  Json(const Json& other);
  Json(Json&& other) noexcept;
  ~Json() { Reset(); }

  Json& operator=(const Json& other);
  Json& operator=(Json&& other) noexcept;
  Json& operator=(bool value);
  Json& operator=(int value);
  Json& operator=(long long value);
  Json& operator=(double value);
  Json& operator=(const char16_t* text);
  Json& operator=(const char* ansiText);

  void Reset();         // releases the content; the node becomes Null
  void ClearContent();  // keeps the type, drops the content (0, "", no elements)

  JsonType Type() const { return type_; }
  bool IsNull() const { return type_ == JsonType::kNull; }
  bool IsBoolean() const { return type_ == JsonType::kBoolean; }
  bool IsInteger() const { return type_ == JsonType::kInteger; }
  bool IsDouble() const { return type_ == JsonType::kDouble; }
  bool IsNumber() const { return IsInteger() || IsDouble(); }
  bool IsString() const { return type_ == JsonType::kString; }
  bool IsArray() const { return type_ == JsonType::kArray; }
  bool IsObject() const { return type_ == JsonType::kObject; }
  bool IsBinary() const { return type_ == JsonType::kBinary; }

  // The node's own value. Int32/Int64 accept Integer and Double (truncated
  // toward zero); Double accepts both; Boolean and Str only their own type.
  bool Boolean(bool fallback) const;
  bool GetBoolean(bool& out) const;
  int Int32(int fallback) const;
  bool GetInt32(int& out) const;
  long long Int64(long long fallback) const;
  bool GetInt64(long long& out) const;
  double Double(double fallback) const;
  bool GetDouble(double& out) const;
  const char16_t* Str(const char16_t* fallback) const;
  bool GetString(String& out) const;
  explicit operator bool() const { return Boolean(false); }
  explicit operator int() const { return Int32(0); }
  explicit operator long long() const { return Int64(0); }
  explicit operator double() const { return Double(0.0); }
  explicit operator const char16_t*() const { return Str(u""); }

  // Object members, first match. Readers give the fallback (or false) when the
  // node is not an Object, the key is absent or the member has another type.
  bool GetPropertyStr(const char16_t* name, const char16_t*& out) const;
  bool GetPropertyStr(const char16_t* name, String& out) const;
  const char16_t* PropertyStr(const char16_t* name, const char16_t* fallback) const;
  bool GetPropertyInt32(const char16_t* name, int& out) const;
  int PropertyInt32(const char16_t* name, int fallback) const;
  bool GetPropertyInt64(const char16_t* name, long long& out) const;
  long long PropertyInt64(const char16_t* name, long long fallback) const;
  bool GetPropertyDouble(const char16_t* name, double& out) const;
  double PropertyDouble(const char16_t* name, double fallback) const;
  bool GetPropertyBool(const char16_t* name, bool& out) const;
  bool PropertyBool(const char16_t* name, bool fallback) const;
  bool GetPropertyBinary(const char16_t* name, const void*& data, int* length) const;
  const void* PropertyBinary(const char16_t* name, int* length) const;

  // The member's value node. With `create`, a Null node or any other non-Object
  // becomes an empty Object first and a missing key is appended (value Null).
  Json* GetProperty(const char16_t* name, bool create);
  const Json* FindProperty(const char16_t* name) const;
  // GetProperty(name, true) on an Object; null for every other type.
  Json* operator[](const char16_t* name);

  // Setters: GetProperty(name, true), then the value replaced; return the value node.
  Json* SetPropertyNull(const char16_t* name);
  Json* SetPropertyArray(const char16_t* name);  // an existing Array keeps its elements
  Json* SetPropertyStr(const char16_t* name, const char16_t* value);
  // The whole text, zero characters included (the writer drops those).
  Json* SetPropertyStr(const char16_t* name, const String& value);
  Json* SetPropertyMbs(const char16_t* name, const char* ansiValue);
  Json* SetPropertyInt32(const char16_t* name, int value);
  Json* SetPropertyInt64(const char16_t* name, long long value);
  Json* SetPropertyDouble(const char16_t* name, double value);
  Json* SetPropertyBool(const char16_t* name, bool value);
  Json* SetPropertyBinary(const char16_t* name, const void* data, int length);

  // Members of an Object by position (null past the end or on another type).
  const DICTION* Member(uint32_t index) const;

  // Elements of an Array (Count also counts an Object's members).
  uint32_t Count() const;
  Json* GetArrayElm(uint32_t index);
  const Json* GetArrayElm(uint32_t index) const;
  Json* AddArrayElm(uint32_t index = kAppend);  // a Null node becomes an Array first
  void RemoveArrayElm(uint32_t index, uint32_t count);
  // Replace the element at `index` (below Count) with a copy; null otherwise.
  Json* SetArrayElm(const Json& value, uint32_t index);
  Json* SetArrayStr(const char16_t* value, uint32_t index);
  Json* SetArrayMbs(const char* ansiValue, uint32_t index);
  Json* SetArrayBool(bool value, uint32_t index);
  Json* SetArrayInt32(int value, uint32_t index);
  Json* SetArrayInt64(long long value, uint32_t index);
  Json* SetArrayDouble(double value, uint32_t index);
  // Strict readers: an Integer element is not a double nor a Double an integer.
  bool GetArrayStr(String& out, uint32_t index) const;
  bool GetArrayInt32(int& out, uint32_t index) const;
  bool GetArrayInt64(long long& out, uint32_t index) const;
  bool GetArrayBool(bool& out, uint32_t index) const;
  bool GetArrayDouble(double& out, uint32_t index) const;
  // The element at `index`, appending Null elements up to it; a Null node
  // becomes an Array first. Null for a negative index and for other types.
  Json* operator[](int index);

  // Text. ToText replaces `out`; `indent` is the working indentation, empty at
  // the top level and returned unchanged. Pretty: tabs and CR LF; compact: none,
  // with characters above U+0100 escaped.
  void ToText(String& out, String& indent, bool pretty) const;
  String ToText(bool pretty) const;
  // Resets the node and parses; returns the position after the root value or -1
  // on a syntax error (what was built before the error stays; `failedAt`,
  // when given, gets where the parser stopped). Text after the root value is
  // not examined.
  int Parse(const char16_t* text, int length, int* failedAt = nullptr);
  // Parses 8-bit text in the ANSI code page; empty or blank text gives Null.
  bool ParseMbs(const char* bytes, int length);
  void Print(bool pretty) const;  // to the trace output

  // Files hold pretty text in the ANSI code page with no byte-order mark.
  bool LoadFile(const std::string& path);
  bool SaveFile(const std::string& path) const;

 private:
  friend class JsonParser;

  String* StringPayload() const { return value_.text; }
  ObjectList<Json>* ArrayPayload() const { return value_.array; }
  ObjectList<DICTION>* ObjectPayload() const { return value_.object; }
  void MakeString(const char16_t* text, uint32_t length);
  void MakeArray();
  void MakeObject();
  void MakeBinary(const void* data, uint32_t length);
  void CopyFrom(const Json& other);
  void TakeFrom(Json& other);
  // The member `name` (created) or element `index` (existing) set to `value`.
  template <class V>
  Json* AssignMember(const char16_t* name, const V& value) {
    Json* node = GetProperty(name, true);
    if (node) *node = value;
    return node;
  }
  template <class V>
  Json* AssignElement(uint32_t index, const V& value) {
    Json* node = GetArrayElm(index);
    if (node) *node = value;
    return node;
  }

  union Value {
    bool boolean;
    long long integer;
    double number;
    String* text;
    ObjectList<Json>* array;
    ObjectList<DICTION>* object;
    Memory<uint8_t>* binary;
  } value_{};
  JsonType type_ = JsonType::kNull;
};
