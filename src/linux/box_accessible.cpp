#include "linux/box_accessible.h"

#include <wx/stattext.h>

#include <gtk/gtk.h>

namespace {

void KeepUnattached(GObject* label, GParamSpec*, gpointer) {
    if (gtk_label_get_mnemonic_widget(GTK_LABEL(label)) != nullptr) {
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), nullptr);
    }
}

}  // namespace

void ExposeBox(wxTopLevelWindow& box, AtkRole role) {
    if (box.GetHandle() == nullptr) {
        return;
    }
    atk_object_set_role(gtk_widget_get_accessible(box.GetHandle()), role);
    for (wxWindow* child : box.GetChildren()) {
        // When idle, wx makes each label the label of the control after it:
        // the last line of a message would name a button, and a screen
        // reader, taking it for the button's, would leave it out of the
        // box's text. The labels here label nothing.
        GtkWidget* label = child->GetHandle();
        if (dynamic_cast<wxStaticText*>(child) != nullptr && label != nullptr &&
            GTK_IS_LABEL(label)) {
            g_signal_connect(label, "notify::mnemonic-widget", G_CALLBACK(KeepUnattached), nullptr);
        }
    }
}
