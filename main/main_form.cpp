#include "main_form.h"

TMainForm::TMainForm() { CreateForm(L"Nimbra", 1024, 768); }
