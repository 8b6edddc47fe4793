#include "build/entities/parent_summary.h"

#include "build/records/text_fields.h"

namespace volq {

std::string MareStallionRecord(std::string_view breeding_number, const SankuValues& t,
                               std::vector<std::string>* beyond) {
  std::string r(kMareStallionLength, ' ');
  auto put = [&](Slice field, std::string_view text) { PutText(r, field, text); };
  // Counts and money totals of a leading sire can outgrow their fields.
  auto fit = [&](Slice field, std::string (*encode)(int64_t, bool*), int64_t v) {
    bool clamped = false;
    std::string text = encode(v, &clamped);
    if (clamped && beyond)
      beyond->push_back("offset " + std::to_string(field.offset) + ": " + std::to_string(v));
    put(field, text);
  };
  auto count = [&](Slice field, int64_t v) { fit(field, CountField6, v); };
  auto money = [&](Slice field, int64_t v) { fit(field, MoneyField9, v); };
  put(StallionField("breeding_number"), breeding_number);
  put(StallionField("overall_top3_rate"), LineRate(t, 27, 3));
  put(StallionField("central_top3_rate"), LineRate(t, 28, 3));
  count(StallionField("flat_earners"), ValueAt(t, 171));  // earnings flags added up
  count(StallionField("jump_earners"), ValueAt(t, 172));
  count(StallionField("central_starts"), LineSum(t, 28));
  count(StallionField("jump_starts"), LineSum(t, 7));
  money(StallionField("flat_main_prize"), ValueAt(t, 155));
  money(StallionField("jump_main_prize"), ValueAt(t, 156));
  money(StallionField("flat_earnings"), ValueAt(t, 173));
  money(StallionField("jump_earnings"), ValueAt(t, 174));
  put(StallionField("line_top3_rate"), BlockRates(t, 3));
  put(StallionField("overall_top2_rate"), LineRate(t, 27, 2));
  put(StallionField("central_top2_rate"), LineRate(t, 28, 2));
  put(StallionField("line_top2_rate"), BlockRates(t, 2));
  put(StallionField("style_code"), StyleCode6(t));
  put(StallionField("crlf"), "\r\n");
  return r;
}

}  // namespace volq
