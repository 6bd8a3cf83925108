#include "linux/row_model.h"

#include <string>

#include "linux/text_layout.h"
#include "list/cache_list.h"

namespace {

struct RowModel {
    GObject parent;
    const CacheList* list;
    gint count;
    gint stamp;
};

struct RowModelClass {
    GObjectClass parent;
};

void InitRowModelInterface(GtkTreeModelIface* iface);

G_DEFINE_TYPE_WITH_CODE(RowModel, row_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, InitRowModelInterface))

void row_model_class_init(RowModelClass*) {}

void row_model_init(RowModel* model) {
    model->stamp = static_cast<gint>(g_random_int());
}

RowModel* Model(GtkTreeModel* model) {
    return reinterpret_cast<RowModel*>(model);
}

gboolean Point(GtkTreeModel* tree, GtkTreeIter* iter, gint row) {
    RowModel* model = Model(tree);
    if (row < 0 || row >= model->count) {
        iter->stamp = 0;
        return FALSE;
    }
    iter->stamp = model->stamp;
    iter->user_data = GINT_TO_POINTER(row);
    return TRUE;
}

GtkTreeModelFlags Flags(GtkTreeModel*) {
    return static_cast<GtkTreeModelFlags>(GTK_TREE_MODEL_LIST_ONLY | GTK_TREE_MODEL_ITERS_PERSIST);
}

gint ColumnCount(GtkTreeModel*) {
    return 1;
}

GType ColumnType(GtkTreeModel*, gint) {
    return G_TYPE_STRING;
}

gboolean IterAt(GtkTreeModel* tree, GtkTreeIter* iter, GtkTreePath* path) {
    if (gtk_tree_path_get_depth(path) != 1) {
        iter->stamp = 0;
        return FALSE;
    }
    return Point(tree, iter, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath* PathOf(GtkTreeModel*, GtkTreeIter* iter) {
    return gtk_tree_path_new_from_indices(RowOf(*iter), -1);
}

void Value(GtkTreeModel* tree, GtkTreeIter* iter, gint, GValue* value) {
    g_value_init(value, G_TYPE_STRING);
    g_value_set_string(value, RowText(*Model(tree)->list, RowOf(*iter)).c_str());
}

gboolean Next(GtkTreeModel* tree, GtkTreeIter* iter) {
    return Point(tree, iter, RowOf(*iter) + 1);
}

gboolean Previous(GtkTreeModel* tree, GtkTreeIter* iter) {
    return Point(tree, iter, RowOf(*iter) - 1);
}

gboolean Children(GtkTreeModel* tree, GtkTreeIter* iter, GtkTreeIter* parent) {
    return parent == nullptr ? Point(tree, iter, 0) : Point(tree, iter, -1);
}

gboolean HasChild(GtkTreeModel*, GtkTreeIter*) {
    return FALSE;
}

gint ChildCount(GtkTreeModel* tree, GtkTreeIter* iter) {
    return iter == nullptr ? Model(tree)->count : 0;
}

gboolean NthChild(GtkTreeModel* tree, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
    return parent == nullptr ? Point(tree, iter, n) : Point(tree, iter, -1);
}

gboolean Parent(GtkTreeModel* tree, GtkTreeIter* iter, GtkTreeIter*) {
    return Point(tree, iter, -1);
}

void InitRowModelInterface(GtkTreeModelIface* iface) {
    iface->get_flags = Flags;
    iface->get_n_columns = ColumnCount;
    iface->get_column_type = ColumnType;
    iface->get_iter = IterAt;
    iface->get_path = PathOf;
    iface->get_value = Value;
    iface->iter_next = Next;
    iface->iter_previous = Previous;
    iface->iter_children = Children;
    iface->iter_has_child = HasChild;
    iface->iter_n_children = ChildCount;
    iface->iter_nth_child = NthChild;
    iface->iter_parent = Parent;
}

}  // namespace

GtkTreeModel* NewRowModel(const CacheList& list) {
    auto* model = static_cast<RowModel*>(g_object_new(row_model_get_type(), nullptr));
    model->list = &list;
    model->count = list.Count();
    return GTK_TREE_MODEL(model);
}

GtkTreeModel* NewEmptyRowModel() {
    // Its rows are never asked for: it has none.
    return GTK_TREE_MODEL(g_object_new(row_model_get_type(), nullptr));
}

int RowOf(const GtkTreeIter& iter) {
    return GPOINTER_TO_INT(iter.user_data);
}

std::string RowText(const CacheList& list, int row) {
    return row >= 0 && row < list.Count() ? DisplayText(list.Text(row)) : std::string();
}
