// Form1: automatic page turning, the reading-speed test and scroll mode.
#include "form1.h"

namespace tibbo::window {

void Form1::MnAutopage_Click() {}
void Form1::Label5_3_LeftDown() {}
void Form1::MnSettime_Click() {}
void Form1::Timer1_Timer() {}
void Form1::MnTestSpeed_Click() {}
void Form1::Timer2_Timer() {}
void Form1::MnSlide_Click() {}
void Form1::Check5_Click() {}
void Form1::Text2_Click() {}
void Form1::Timer3_Timer() {}
void Form1::HScroll1_Change() {}
void Form1::Command1_Click() {}
void Form1::Timer4_Timer() {}

} // namespace tibbo::window
