// system clock port
