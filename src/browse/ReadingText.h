#pragma once
// A text material as both reading areas show it: "作者：", "所属分类：" and "创建时间：" lines, each
// followed by an empty line, then the body; every line ends with a line break.
#include <QString>

class TFileText;

QString readingText(const TFileText& file);
