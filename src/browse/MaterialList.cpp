// The material list: listing a tree place, clicks and double clicks, orders and view styles.
#include "app/TMainForm.h"

void TMainForm::MainTreeViewClick() {}

void TMainForm::MainListShow() {}

void TMainForm::AddRealFileToList(const QString& category, const QString& subcategory, int order, const QString& kind)
{
    (void)category;
    (void)subcategory;
    (void)order;
    (void)kind;
}

void TMainForm::MainListClick() {}

void TMainForm::MainListDblClick() {}

void TMainForm::OByName() {}

void TMainForm::OByTime() {}

void TMainForm::N23Click() { setListViewStyle(0); }

void TMainForm::N24Click() { setListViewStyle(1); }

void TMainForm::N25Click() { setListViewStyle(2); }
