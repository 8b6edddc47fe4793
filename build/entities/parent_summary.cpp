#include "build/entities/parent_summary.h"

#include "build/records/text_fields.h"

namespace volq {

std::string MareStallionRecord(std::string_view breeding_number, const SankuValues& t,
                               std::vector<std::string>* beyond) {
  std::string r(breeding_number.substr(0, 10));
  r.resize(10, ' ');
  r.reserve(kMareStallionLength);
  // Counts and money totals of a leading sire can outgrow their fields.
  auto fit = [&](std::string (*encode)(int64_t, bool*), int64_t v) {
    bool clamped = false;
    std::string text = encode(v, &clamped);
    if (clamped && beyond)
      beyond->push_back("offset " + std::to_string(r.size()) + ": " + std::to_string(v));
    r += text;
  };
  auto count = [&](int64_t v) { fit(CountField6, v); };
  auto money = [&](int64_t v) { fit(MoneyField9, v); };
  r += LineRate(t, 27, 3);  // 10
  r += LineRate(t, 28, 3);  // 16
  count(ValueAt(t, 171));   // 22 flat earnings flags added up
  count(ValueAt(t, 172));   // 28 jump earnings flags added up
  count(LineSum(t, 28));    // 34 central starts
  count(LineSum(t, 7));     // 40 jump starts
  money(ValueAt(t, 155));   // 46
  money(ValueAt(t, 156));   // 55
  money(ValueAt(t, 173));   // 64
  money(ValueAt(t, 174));   // 73
  r += BlockRates(t, 3);    // 82
  r += LineRate(t, 27, 2);  // 232
  r += LineRate(t, 28, 2);  // 238
  r += BlockRates(t, 2);    // 244
  r += StyleCode6(t);       // 394
  r += "\r\n";              // 400
  return r;
}

}  // namespace volq
