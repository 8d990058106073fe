#pragma once
// The texts of the three panels, each line ended by CR LF.

#include <QString>

namespace tarvo {

QString EnglishRulesText();  // Text2
QString ItalianRulesText();  // Text3
QString InformationText();   // Text4

}  // namespace tarvo
