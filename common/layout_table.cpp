#include "common/layout_table.h"

#include "platform/fs/file_failure.h"

namespace volq {

RecordLayout::RecordLayout(std::string type, std::span<const LayoutEntry> table)
    : type_(std::move(type)) {
  Flatten(table, "");
  for (size_t i = 0; i < fields_.size(); ++i) index_.emplace(fields_[i].name, i);
}

void RecordLayout::Flatten(std::span<const LayoutEntry> table, const std::string& prefix) {
  for (const LayoutEntry& e : table) {
    for (int r = 0; r < e.repeat; ++r) {
      std::string name = prefix + std::string(e.name);
      if (e.repeat > 1) name += "[" + std::to_string(r) + "]";
      if (e.group.empty()) {
        fields_.push_back({name, delivered_length_, stored_length_, e.width, e.stored_width});
        delivered_length_ += e.width;
        stored_length_ += e.stored_width;
      } else {
        Flatten(e.group, name + ".");
      }
    }
  }
}

size_t RecordLayout::IndexOf(std::string_view name) const {
  auto it = index_.find(name);
  if (it == index_.end()) FailIndex("no field " + std::string(name) + " in " + type_);
  return it->second;
}

}  // namespace volq
