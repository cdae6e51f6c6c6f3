// replaced by the app module
