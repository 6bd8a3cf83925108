/* What a window like the program's costs in GTK 3 alone: the same title,
 * the heading, an empty tree view in a scrolled window and the four buttons
 * with the program's captions, placed where the program places them at its
 * size. The benchmark times its start against the program's empty start, so
 * the difference is what the toolkit layer and the program add.
 *
 *   vorpane_bare_window [--no-gl]  runs until its window is closed
 *
 * With --no-gl, GDK leaves OpenGL out on opening the display, as vorpane has
 * it: the toolkit's own cost then stands alone. Marks its phases as vorpane
 * does (src/linux/phase_marks.h), so that the two profiles compare.
 */
#include <gtk/gtk.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void Mark(const char* name) {
    const char* fd = getenv("VORPANE_PHASE_FD");
    if (fd == NULL) {
        return;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[96];
    const int length = snprintf(line, sizeof line, "%s %lld\n", name,
                                (long long)now.tv_sec * 1000000000 + now.tv_nsec);
    if (write(atoi(fd), line, (size_t)length) < 0) {
        /* The benchmark has gone. */
    }
}

/* Where the program's window puts its controls, in pixels under Adwaita
 * with the default font (its dialog template at 6 x 13 pixels a unit
 * quarter and eighth: x * 6 / 4, y * 13 / 8). */
enum { kUnitWidth = 6, kUnitHeight = 13 };

static int X(int units) {
    return units * kUnitWidth / 4;
}

static int Y(int units) {
    return units * kUnitHeight / 8;
}

static void Place(GtkWidget* fixed, GtkWidget* child, int x, int y, int width, int height) {
    gtk_widget_set_size_request(child, X(width), Y(height));
    gtk_fixed_put(GTK_FIXED(fixed), child, X(x), Y(y));
}

static void AddButton(GtkWidget* fixed, const char* caption, int x, int y, int width, int height) {
    GtkWidget* button = gtk_button_new_with_label(caption);
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    Place(fixed, button, x, y, width, height);
}

int main(int argc, char** argv) {
    Mark("main");
    if (argc > 1 && strcmp(argv[1], "--no-gl") == 0) {
        setenv("GDK_GL", "disable", 0);
    }
    gtk_init(&argc, &argv);
    Mark("toolkit");
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Halden's Vorpane");
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, X(298), Y(199));
    gtk_container_add(GTK_CONTAINER(window), fixed);

    GtkWidget* heading = gtk_label_new("Date / Time  File");
    gtk_label_set_xalign(GTK_LABEL(heading), 0);
    Place(fixed, heading, 7, 7, 200, 8);

    GtkListStore* rows = gtk_list_store_new(1, G_TYPE_STRING);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(rows));
    g_object_unref(rows);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, "",
                                                gtk_cell_renderer_text_new(), "text", 0, NULL);
    GtkWidget* scrolled = gtk_scrolled_window_new(NULL, NULL);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    Place(fixed, scrolled, 7, 19, 226, 173);

    AddButton(fixed, "Extract", 241, 20, 50, 32);
    AddButton(fixed, "Compact Cache.ini", 241, 58, 50, 31);
    AddButton(fixed, "Delete", 241, 103, 50, 31);
    AddButton(fixed, "About", 241, 151, 50, 41);

    Mark("built");
    gtk_widget_grab_focus(view);
    Mark("loaded");
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
