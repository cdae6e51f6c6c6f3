// replaced by the dialog engine
