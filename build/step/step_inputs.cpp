#include "build/step/step_inputs.h"

#include "platform/fs/text_list.h"

namespace volq {

void ReportMissingInput(StepFrame& frame, std::string_view name) {
  frame.Skipped("missing input " + std::string(name), "read as empty");
}

std::vector<std::string> ReadKeyList(StepContext& ctx, const char* name) {
  bool found = false;
  std::vector<std::string> items = ReadListItems(ctx.dir.Path(name), &found);
  if (!found) ReportMissingInput(ctx.frame, name);
  return items;
}

void ReportIfMissing(StepContext& ctx, const char* name) {
  if (!ctx.dir.Exists(name)) ReportMissingInput(ctx.frame, name);
}

std::string_view RecordTypeOf(std::string_view file) { return file.substr(0, 2); }

std::unique_ptr<NewRecords> OpenNewRecords(StepContext& ctx, const char* name, int record_length,
                                           std::string_view record_type) {
  ReportIfMissing(ctx, name);
  std::unique_ptr<NewRecords> file;
  ctx.frame.Do("open", [&] {
    file = std::make_unique<NewRecords>(ctx.dir.Path(name), record_length, record_type);
  });
  if (file && file->damage().damaged()) {
    const std::string shown = ShownPath(ctx.dir.Path(name));
    ctx.frame.SkippedOnce("read", "records out of frame passed over", shown,
                      FrameDamageText(shown, file->damage()));
  }
  return file;
}

void ReportIfMissingEntityFile(StepContext& ctx, const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return;
  const std::string file = ShownPath(path);
  ctx.frame.Skipped("missing entity file", "read as empty", file, file + " read as empty");
}

}  // namespace volq
