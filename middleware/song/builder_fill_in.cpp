// Rhythms (by their second and third keys) whose even-numbered body phrases
// take fill-in 1 in some variations instead of fill-in 2.
#include "song/builder_fill_in.h"

#include "song/phrase_list.h"

namespace qm3 {
namespace {

struct FillInRow {
  int32_t key_b;
  int32_t key_c;
  int8_t by_variation[4];  // 1 = fill-in 1, 2 = fill-in 2
};

constexpr FillInRow kFillInRows[] = {
    {0, 80, {2, 2, 1, 1}},   {4, 16, {2, 2, 1, 2}},  {8, 0, {2, 2, 1, 2}},   {9, 64, {2, 2, 2, 1}},
    {19, 16, {1, 2, 2, 2}},  {67, 32, {2, 2, 1, 2}}, {68, 64, {2, 2, 1, 1}}, {71, 96, {2, 2, 1, 2}},
    {81, 32, {2, 1, 2, 2}},  {85, 64, {2, 1, 2, 2}}, {86, 48, {2, 1, 2, 2}}, {88, 80, {2, 1, 1, 2}},
    {111, 48, {2, 2, 1, 2}},
};

}  // namespace

int8_t DefaultFillIn(int index, int variation, int32_t key_b, int32_t key_c) {
  if (index % 2 != 0) return kFillIn1;
  if (variation < 0 || variation > 3) return kFillIn2;
  for (const FillInRow& row : kFillInRows) {
    if (row.key_b == key_b && row.key_c == key_c)
      return row.by_variation[variation] == 1 ? kFillIn1 : kFillIn2;
  }
  return kFillIn2;
}

}  // namespace qm3
