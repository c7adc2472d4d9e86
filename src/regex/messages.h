// The engine's message texts, exactly as the program shows them (their spelling included).
// A %s takes the token text or a name, a %d a group number.
#pragma once

namespace rxmsg {

inline constexpr char16_t UnmatchedBracket[] = u"%sUnmatched [";
inline constexpr char16_t UnmatchedPar[] = u"%sUnmatched (";
inline constexpr char16_t UnmatchedBrace[] = u"%sUnmatched {";
inline constexpr char16_t QuantifierTooLarge[] = u"%sQuantifier is too large";
inline constexpr char16_t BoundOrder[] = u"%sCan't do {n,m} with n > m";
inline constexpr char16_t NotCompleted[] = u"%sRegular expression not completed";
inline constexpr char16_t InvalidEscape[] = u"%sInvalid escape charactoer syntax";
inline constexpr char16_t HexDigitRequired[] = u"%sHex-digit is required";
inline constexpr char16_t MissingBraceX[] = u"%sMissing right brace on \\x{}";
inline constexpr char16_t CodepointRange[] = u"%sCodepoint range over";
inline constexpr char16_t InvalidProperty[] = u"%sInvalide property";
inline constexpr char16_t MissingBrace[] = u"%sMissing right brace";
inline constexpr char16_t PropertyUnknown[] = u"Property {%s} unkown";
inline constexpr char16_t GroupNumberEmpty[] = u"%sGroup number is empty";
inline constexpr char16_t NotTerminated[] = u"%sNot terminated";
inline constexpr char16_t NoEndOfGroup[] = u"%sNo end of group";
inline constexpr char16_t InvalidGroupNameChar[] = u"%sInvalid char in group name";
inline constexpr char16_t GroupNameEmpty[] = u"%sgroup name is empty";
inline constexpr char16_t NotRecognized[] = u"%s not recognized";
inline constexpr char16_t OptionNotCompleted[] = u"%sOption not completed";
inline constexpr char16_t PosixUnknown[] = u"Posix class [:%s:] unknown";
inline constexpr char16_t InvalidRange[] = u"Invalid [] range [%s]";

inline constexpr char16_t InvalidCharClass[] = u"%sInvalid charactor class";
inline constexpr char16_t LoopOfAhead[] = u"Loop of match ahead not specified";
inline constexpr char16_t LoopOfZeroLength[] = u"%sLoop of Length zero cannot specified";
inline constexpr char16_t BehindNotVariable[] = u"%sBehind match not variable length";
inline constexpr char16_t BehindNotGroup[] = u"%sBehind match not group";
inline constexpr char16_t NeverEndingRecursion[] = u"%sNever ending recursion";
inline constexpr char16_t InvalidCondition[] = u"%sInvalid Condition";
inline constexpr char16_t TooManyBranches[] = u"Contains too many Branches";
inline constexpr char16_t InvalidGroupNumber[] = u"Invalid group number <%d>";
inline constexpr char16_t InvalidGroupName[] = u"Invalid group name <%s>";
inline constexpr char16_t MultipleDefineCall[] = u"%sMultiple define group name can not call";

// Resource limits of the compiler; worded like the messages above.
inline constexpr char16_t NestTooDeep[] = u"%sNesting of groups too deep";
inline constexpr char16_t ExpressionTooComplex[] = u"%sRegular expression too complex";

} // namespace rxmsg
