#pragma once
// Test fixture of the factor routines: a category window over a fresh data
// directory, its factor frame, and helpers to lay out a horse's extended
// records and put the frame on one of them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "build/factors/form_categorysetup2024zz.h"
#include "build/records/test_support.h"

namespace volq::testing {

class FactorTest : public StepTest {
 public:
  void SetUp() override {
    StepTest::SetUp();
    w_ = std::make_unique<FormCATEGORYSETUP2024ZZ>(*dir_);
  }
  FormCATEGORYSETUP2024ZZ& w() { return *w_; }
  // The frame the routines work in.
  FactorFrame& f() { return w_->Factors; }

  // An extended record of blanks with the given (offset, text) fields.
  static std::string Ex(std::initializer_list<std::pair<int, std::string>> fields) {
    return Rec(kUmaExLength, fields);
  }
  // Writes the horse's EX file, opens it in the frame and puts the frame on
  // record r (read into the EX buffer).
  void Horse(const std::string& pedigree, const std::vector<std::string>& records, int32_t r = 1) {
    WriteRecords("UMAGOTOEXSETUP/" + pedigree + "EX.dat", records);
    f().OpenExFile(pedigree);
    At(r);
  }
  void At(int32_t r) {
    f().r = r;
    f().ReadEx(r);
  }
  // Whether op looks into file `name` of the data directory: with the file
  // there but unreadable, op fails. Reading never makes a missing file, so
  // this is how a test sees that a routine opens one. The file is left as
  // it was found and the lookups are read again afterwards.
  template <class Op>
  bool Reads(const std::string& name, Op&& op) {
    const bool existed = Exists(name);
    if (!existed) WriteFile(name, "");
    f().ClearLookups();
    bool failed = false;
    {
      UnreadableFor unreadable(dir_->Path(name));
      try {
        op();
      } catch (const Failure&) {
        failed = true;
      }
    }
    if (!existed) dir_->Delete(name);
    f().ClearLookups();
    return failed;
  }

 private:
  std::unique_ptr<FormCATEGORYSETUP2024ZZ> w_;
};

}  // namespace volq::testing
