// Qt ports
