// A readable, one-line rendering of a syntax tree, for tests and diagnostics. Receives any tree
// the parser built; guarantees a rendering that depends only on the tree's shape and payload,
// made without recursion.
//
//   leaves  'a' "abc" ^ $ any \w \W \d \s \h \v \R \X \b \B \A \Z \z \G [a-z] \p{17}
//           [class ...] (members and map) \1 \k<name> (if 1) (if <name>) line-head line-tail
//   nodes   (concat A B) (union A B) (group 1 <name> A) (quest A) (plus A) (star A)
//           (bound n,m A) (loop n,m A) (ahead A) (!ahead A) (behind n,m A) (!behind n,m A)
//           (atomic A) (gosub 1) (ifmatch C (ifthen Y N)) (keep A) empty
//   a loop kind other than greedy follows the bounds: lazy, possessive, any, xseq; inf stands
//   for no upper bound.
#pragma once

#include <string>

class TRECode;

std::string DumpTree(const TRECode* Root);
std::string DescribeCode(const TRECode* Code);
