#include "device/record_fields.h"

uint32_t SplitRecordFields(const String& text, ObjectList<String>& fields) {
  uint32_t first = fields.Count();
  uint32_t added = String::Split(text, u"+", fields);
  for (uint32_t i = first; i < fields.Count(); ++i) fields[i].Trim();
  return added;
}
