# The layers of the product's folders; ARCHITECTURE.md says what each may
# include. Read by the build and by CheckLayers.cmake.

# Bottom: the helpers and the two stand-in layers. They include only each other.
set(QUORLOG_BOTTOM_DIRS common pqdif chartlib)
# Data: the application database, the readers, the table and chart models.
# They include themselves and the bottom.
set(QUORLOG_DATA_DIRS database readers tables charts)
# A data folder's pages, dialogs and widgets sit in this subfolder of it and
# belong to the shell.
set(QUORLOG_UI_SUBDIR ui)
# The shell: the application, the features only the user reaches, and the
# report models with their page. It may include everything.
set(QUORLOG_SHELL_DIRS app acquisition export themes signature reports)
