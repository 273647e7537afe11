#pragma once

class QWidget;

// The look of a clickable label: underlined, pure blue, hand-point cursor.
void ApplyLinkStyle(QWidget *widget);
